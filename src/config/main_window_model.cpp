#include "config/main_window_model.h"

#include <QSet>

#include "link/link.h"

namespace veld::config {

namespace {

// Controls whose click runs a handler. A click that starts a transaction must not be taken while
// another transaction waits on the line: the window keeps processing events meanwhile. Every click
// but Stop waits until a running operation has ended.
constexpr ClickRole kClickRoles[] = {
    // Page "Konfigurace vstupu".
    {u"Precist", ClickKind::Transaction},
    {u"Poslat", ClickKind::Transaction},
    {u"S_Dolmez", ClickKind::Transaction},
    {u"S_Hormez", ClickKind::Transaction},
    {u"Button8", ClickKind::Transaction},  // save the PV correction
    {u"Button1", ClickKind::Transaction},  // read the PV correction
    {u"Prec_Pozn", ClickKind::Transaction},
    {u"Uloz_Pozn", ClickKind::Transaction},
    {u"ctisoub", ClickKind::Local},  // configuration file: no transaction
    {u"Ulosoub", ClickKind::Local},
    {u"ButtonTV", ClickKind::Local},
    {u"ButtonLMX", ClickKind::Local},
    {u"LabOdchylka", ClickKind::Local},  // plots the deviation
    // Page "Relé".
    {u"Preckomp1", ClickKind::Transaction},
    {u"Ulozkomp1", ClickKind::Transaction},
    {u"Preckomp2", ClickKind::Transaction},
    {u"Ulozkomp2", ClickKind::Transaction},
    {u"Preckomp3", ClickKind::Transaction},
    {u"Ulozkomp3", ClickKind::Transaction},
    {u"Preckomp4", ClickKind::Transaction},
    {u"Ulozkomp4", ClickKind::Transaction},
    // Page "Konf. an. výstupu".
    {u"Button2", ClickKind::Transaction},
    {u"Button3", ClickKind::Transaction},
    // Page "Komunikace": the choice takes effect at the next transaction, so it waits for the end
    // of a running operation like every other input.
    {u"SetCom", ClickKind::Local},
    {u"DalsiPorty", ClickKind::Local},
    {u"NajitPrevodnik", ClickKind::Transaction},  // reads the signature on each port
    // Page "Informace": each label reads the PV correction.
    {u"LabFirmPlace", ClickKind::Transaction},
    {u"LabFirmName1", ClickKind::Transaction},
    {u"LabAdrFirmPlace1", ClickKind::Transaction},
    {u"LabPostCodeCity1", ClickKind::Transaction},
    {u"LabWork", ClickKind::Transaction},
    {u"LabFirmName2", ClickKind::Transaction},
    {u"LabAdrFirmPlace2", ClickKind::Transaction},
    {u"LabPostCodeCity2", ClickKind::Transaction},
    {u"LabTelNr", ClickKind::Transaction},
    {u"LabFaxNr", ClickKind::Transaction},
    {u"LabMobNr", ClickKind::Transaction},
    {u"LabEmail", ClickKind::Transaction},
    {u"LabWWWPage", ClickKind::Transaction},
    // Page "Měření". Stop ends a continuous measurement, so it must stay usable.
    {u"ButMeasPV", ClickKind::Transaction},
    {u"Start_Mer", ClickKind::Transaction},
    {u"Stop_mer", ClickKind::Stop},
    // The linearization dialog.
    {u"OK", ClickKind::Local},
    {u"Jiny", ClickKind::Local},
    {u"Zpus_lin", ClickKind::Local},
};

}  // namespace

std::span<const ClickRole> MainWindowModel::ClickRoles() {
    return kClickRoles;
}

namespace {

QSet<QString> NamesOf(ClickKind kind) {
    QSet<QString> names;
    for (const ClickRole& role : kClickRoles)
        if (role.kind == kind)
            names.insert(role.name.toString());
    return names;
}

// Whether the user can change the control or start something with it.
bool TakesUserInput(const Control& control) {
    switch (control.kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::ComboBox:
        case ControlKind::RadioGroup:
        case ControlKind::ListBox:
            return true;
        case ControlKind::Edit:
        case ControlKind::MaskedEdit:
            return !static_cast<const Edit&>(control).readOnly;
        case ControlKind::Label:
            return static_cast<bool>(control.onClick);
        default:
            return false;
    }
}

}  // namespace

bool MainWindowModel::StartsTransaction(const QString& controlName) {
    static const QSet<QString> starters = NamesOf(ClickKind::Transaction);
    return starters.contains(controlName);
}

bool MainWindowModel::blockedWhileBusy(const Control& control) const {
    static const QSet<QString> stops = NamesOf(ClickKind::Stop);
    if (operation_)
        return TakesUserInput(control) && !stops.contains(control.name);
    return busy_ && StartsTransaction(control.name);
}

void MainWindowModel::setBusy(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    // A handler that reaches the line is an operation from here on, whatever started it.
    if (busy && depth_ > 0)
        operation_ = true;
    notifyChanged();
}

void MainWindowModel::setTransfer(int position) {
    if (form.Transfer1.position == position)
        return;
    form.Transfer1.position = position;
    notifyChanged();
}

MainWindowModel::MainWindowModel(Prompts& prompts, link::DeviceAccess& device,
                                 ModelSettings settings)
    : prompts_(prompts),
      device_(device),
      settings_(std::move(settings)),
      mathMessages_(prompts),
      math_(mathMessages_, points),
      editor_{form, dialog, config, state, points, prompts_, settings_},
      linFile_(editor_),
      rules_(editor_, linFile_),
      checks_(editor_),
      com_(form),
      userNote_(editor_, device_, [this] { notifyChanged(); }),
      readAll_(editor_, device_, math_, rules_, checks_, userNote_, [this] { notifyChanged(); }),
      calibration_(editor_, device_, checks_, readAll_, [this] { notifyChanged(); }),
      configFile_(editor_, rules_, checks_, calibration_) {
    config.DividerRatio = 1.0L;  // matches the "1" that `DelPomer` starts with
    config.Damping = 0.5L;       // and the "0.5" of `Tlumeni`
    bindHandlers();
    checks_.setCharacteristic([this](int curve, long double x) {
        // The display curve cell stays as the caller left it.
        const int display = math_.DisplayCurve;
        math_.DisplayCurve = curve;
        math_.CurveArg = x;
        math_.SensorCharacteristic();
        math_.DisplayCurve = display;
        return math_.CurveResult;
    });
}

// Each handler group is a member object working on `editor_` (and `device_` when it talks to the
// transmitter); here its entry points are bound to the controls' events. A handler that talks to
// the transmitter returns an Outcome and is bound through report():
//     f.Poslat.onClick = [this] { report(writeAll_.PoslatClick()); };
// and its control is marked in kClickRoles, so that it takes no click while a transaction runs.
void MainWindowModel::bindHandlers() {
    MainForm& f = form;
    f.Vstup.onChange = [this] { rules_.VstupChange(); };
    f.PripCidl.onChange = [this] { rules_.PripCidlChange(); };
    f.Linearizace.onChange = [this] { rules_.LinearizaceChange(); };
    f.VolenaJednotka.onChange = [this] { rules_.VolenaJednotkaChange(); };
    f.SnOdpor.onChange = [this] { rules_.SnOdporChange(); };
    f.DelPomer.onChange = [this] { rules_.DelPomerChange(); };

    f.Pocatek.onExit = [this] { checks_.PocatekExit(); };
    // The measurement displays share the range-begin check; harmless, since the begin has been
    // checked when the user left it, and kept because the window has always behaved so.
    f.EdSend.onExit = [this] { checks_.PocatekExit(); };
    f.EdReceive.onExit = [this] { checks_.PocatekExit(); };
    f.Konec.onExit = [this] { checks_.KonecExit(); };
    f.Tlumeni.onExit = [this] { checks_.TlumeniExit(); };
    f.SnOdpor.onExit = [this] { checks_.SnOdporExit(); };
    f.DelPomer.onExit = [this] { checks_.DelPomerExit(); };
    f.CelkovyOdpor.onExit = [this] { checks_.CelkovyOdporExit(); };
    f.VzdStKon.onExit = [this] { checks_.VzdStKonExit(); };
    f.Chybproud.onExit = [this] { checks_.ChybproudExit(); };

    f.korekcePV.onExit = [this] { calibration_.korekcePVExit(); };

    f.Precist.onClick = [this] { report(readAll_.PrecistClick()); };
    f.Poslat.onClick = [this] { report(writeAll_.PoslatClick()); };
    f.S_Dolmez.onClick = [this] { report(calibration_.S_DolmezClick()); };
    f.S_Hormez.onClick = [this] { report(calibration_.S_HormezClick()); };
    f.Button8.onClick = [this] { report(calibration_.Button8Click()); };
    f.Button1.onClick = [this] { report(calibration_.Button1Click()); };
    for (Label* label : f.InfoLabels())
        label->onClick = [this] { report(calibration_.Button1Click()); };
    for (int k = 1; k <= Comparators::kCount; ++k) {
        ComparatorGroup& g = *f.Komparator[static_cast<std::size_t>(k - 1)];
        g.Preckomp.onClick = [this, k] { report(comparators_.PreckompClick(k)); };
        g.Ulozkomp.onClick = [this, k] { report(comparators_.UlozkompClick(k)); };
        g.EMezsep.onExit = [this, k] { comparators_.EMezsepExit(k); };
        g.EMezroz.onExit = [this, k] { comparators_.EMezrozExit(k); };
        g.EZpoSep.onExit = [this, k] { comparators_.EZpoSepExit(k); };
        g.EZpoRoz.onExit = [this, k] { comparators_.EZpoRozExit(k); };
        g.RezimRele.onChange = [this, k] { comparators_.RezimReleChange(k); };
    }
    f.EdLoLimDA.onExit = [this] { analogOutput_.EdLoLimDAExit(); };
    f.EdHiLimDA.onExit = [this] { analogOutput_.EdHiLimDAExit(); };
    f.Button2.onClick = [this] { report(analogOutput_.Button2Click()); };
    f.Button3.onClick = [this] { report(analogOutput_.Button3Click()); };
    f.ButMeasPV.onClick = [this] { report(measurement_.ButMeasPVClick()); };
    f.Start_Mer.onClick = [this] { report(measurement_.Start_MerClick()); };
    f.Stop_mer.onClick = [this] { measurement_.Stop_merClick(); };

    f.Uloz_Pozn.onClick = [this] { report(userNote_.Uloz_PoznClick()); };
    f.Prec_Pozn.onClick = [this] { report(userNote_.Prec_PoznClick()); };
    f.Ulosoub.onClick = [this] { report(configFile_.UlosoubClick()); };
    f.ctisoub.onClick = [this] { report(configFile_.ctisoubClick()); };

    f.SetCom.onClick = [this] { com_.SetComClick(); };
    f.DalsiPorty.onClick = [this] { com_.DalsiPortyClick(); };
    f.RychlyPrenos.onClick = [this] { com_.RychlyPrenosClick(); };
    f.NajitPrevodnik.onClick = [this] { report(com_.NajitPrevodnikClick()); };
    f.ButtonTV.onClick = [this] { form.applyProfile(BrandingProfile::TV); };
    f.ButtonLMX.onClick = [this] { form.applyProfile(BrandingProfile::LMX); };
    f.LabOdchylka.onClick = [this] { ++linPreview_.plotRequests; };

    dialog.OK.onClick = [this] { linFile_.OKClick(); };
    dialog.Jiny.onClick = [this] { linFile_.JinyClick(); };
    dialog.stup_p.onChange = [this] { linFile_.stup_pChange(); };
    // A click on a method both switches the degree box and resets the degree.
    dialog.Zpus_lin.onClick = [this] {
        linFile_.Zpus_linClick();
        linFile_.Zpus_linChange();
    };
}

template <class F>
void MainWindowModel::run(F&& action, bool startsOperation) {
    // An event that arrives while a handler waits for a transaction (or between the transactions
    // of an operation) is the user's own, not a step of that handler: the view re-syncs after it
    // as after any other.
    const bool own = depth_ == 0 || busy_ || operation_;
    if (depth_ == 0) {
        lastOutcome_.reset();
        operation_ = startsOperation;
    }
    // The outermost event is one operation: with the fast transfer on, its transactions share
    // one opening of the port.
    std::optional<link::HeldPort> operation;
    if (depth_ == 0)
        operation.emplace(device_.link());
    ++depth_;
    action();
    --depth_;
    if (depth_ == 0)
        operation_ = false;
    if (own)
        notifyChanged();
}

void MainWindowModel::report(Outcome outcome) {
    if (depth_ == 1)  // the handler of the outermost event, not one run while it waited
        lastOutcome_ = outcome;
}

void MainWindowModel::notifyChanged() {
    linPreview_.update();
    ++revision_;
    if (changed)
        changed();
}

void MainWindowModel::userEdited(Control& control, const QString& text) {
    if (!takesInput(control))
        return;
    run([&] {
        if (auto* edit = dynamic_cast<Edit*>(&control)) {
            if (edit->readOnly)
                return;
            edit->setText(edit->maxLength > 0 ? text.left(edit->maxLength) : text);
        } else if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
            combo->text = CompleteFirstCharacter(*combo, text);
            if (combo->onChange)
                combo->onChange();
        }
    });
}

QString CompleteFirstCharacter(const ComboBox& combo, const QString& typed) {
    if (typed.size() != 1)
        return typed;
    for (const QString& item : combo.items)
        if (item.startsWith(typed, Qt::CaseInsensitive))
            return item;
    return typed;
}

void MainWindowModel::userSelected(Control& control, int index) {
    if (!takesInput(control))
        return;
    run([&] {
        if (auto* combo = dynamic_cast<ComboBox*>(&control)) {
            if (index < 0 || index >= combo->items.size())
                return;
            combo->text = combo->items.at(index);
            if (combo->onChange)
                combo->onChange();
        } else if (auto* group = dynamic_cast<RadioGroup*>(&control)) {
            if (index < 0 || index >= group->items.size())
                return;
            group->itemIndex = index;
            if (group->onClick)
                group->onClick();
        } else if (auto* list = dynamic_cast<ListBox*>(&control)) {
            if (index < 0 || index >= list->items.size())
                return;
            list->itemIndex = index;
            if (list->onClick)
                list->onClick();
        }
    });
}

void MainWindowModel::userToggled(CheckBox& box, bool checked) {
    if (!takesInput(box))
        return;
    run([&] {
        box.checked = checked;
        if (box.onClick)
            box.onClick();
    });
}

void MainWindowModel::userLeft(Control& control) {
    if (!takesInput(control))
        return;
    run([&] {
        if (control.onExit)
            control.onExit();
    });
}

void MainWindowModel::userClicked(Control& control) {
    if (!takesInput(control))
        return;
    run(
        [&] {
            if (control.onClick)
                control.onClick();
        },
        StartsTransaction(control.name));
}

void MainWindowModel::userClosedDialog() {
    if (!dialog.visible)
        return;
    run([&] { linFile_.OKClick(); });
}

void MainWindowModel::userShowedPage(int index) {
    if (index < 0 || index >= static_cast<int>(form.pages().size()))
        return;
    run([&] { form.activePage = index; });
}

Control* MainWindowModel::findAny(const QString& controlName) const {
    if (Control* c = form.find(controlName))
        return c;
    return dialog.find(controlName);
}

bool MainWindowModel::userEdited(const QString& controlName, const QString& text) {
    Control* c = findAny(controlName);
    if (c)
        userEdited(*c, text);
    return c != nullptr;
}

bool MainWindowModel::userSelected(const QString& controlName, int index) {
    Control* c = findAny(controlName);
    if (c)
        userSelected(*c, index);
    return c != nullptr;
}

bool MainWindowModel::userLeft(const QString& controlName) {
    Control* c = findAny(controlName);
    if (c)
        userLeft(*c);
    return c != nullptr;
}

bool MainWindowModel::userClicked(const QString& controlName) {
    Control* c = findAny(controlName);
    if (c)
        userClicked(*c);
    return c != nullptr;
}

}  // namespace veld::config
