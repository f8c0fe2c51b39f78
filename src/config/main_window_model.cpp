#include "config/main_window_model.h"

#include "link/link.h"

namespace veld::config {

namespace {

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

bool MainWindowModel::blockedWhileBusy(const Control& control) const {
    // A click that starts a transaction must not be taken while another transaction waits on the
    // line: the window keeps processing events meanwhile. Every input but Stop waits until a
    // running operation has ended.
    if (operation_)
        return TakesUserInput(control) &&
               clickKinds_.value(control.name, ClickKind::Local) != ClickKind::Stop;
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

template <class F>
void MainWindowModel::bindClick(Control& control, ClickKind kind, F handler) {
    clickRoles_.push_back({control.name, kind});
    clickKinds_.insert(control.name, kind);
    if constexpr (std::is_same_v<std::invoke_result_t<F&>, Outcome>)
        control.onClick = [this, handler = std::move(handler)]() mutable { report(handler()); };
    else
        control.onClick = std::move(handler);
}

// Each handler group is a member object working on `editor_` (and `device_` when it talks to the
// transmitter); here its entry points are bound to the controls' events. A click is bound by what
// it does: onTransaction when it starts a transaction (it takes no click while one runs), onLocal
// when it works on the window or a file, onStop for what ends a running operation. A handler
// that returns an Outcome has it reported:
//     onTransaction(f.Poslat, [this] { return writeAll_.PoslatClick(); });
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

    onTransaction(f.Precist, [this] { return readAll_.PrecistClick(); });
    onTransaction(f.Poslat,
                  [this] { return backupPage_.verifyAfterWrite(writeAll_.PoslatClick()); });
    onTransaction(f.S_Dolmez, [this] { return calibration_.S_DolmezClick(); });
    onTransaction(f.S_Hormez, [this] { return calibration_.S_HormezClick(); });
    // Button8 saves the PV correction, Button1 reads it.
    onTransaction(f.Button8, [this] { return calibration_.Button8Click(); });
    onTransaction(f.Button1, [this] { return calibration_.Button1Click(); });
    // Page "Informace": each label reads the PV correction.
    for (Label* label : f.InfoLabels())
        onTransaction(*label, [this] { return calibration_.Button1Click(); });
    for (int k = 1; k <= Comparators::kCount; ++k) {
        ComparatorGroup& g = *f.Komparator[static_cast<std::size_t>(k - 1)];
        onTransaction(g.Preckomp, [this, k] { return comparators_.PreckompClick(k); });
        onTransaction(g.Ulozkomp, [this, k] { return comparators_.UlozkompClick(k); });
        g.EMezsep.onExit = [this, k] { comparators_.EMezsepExit(k); };
        g.EMezroz.onExit = [this, k] { comparators_.EMezrozExit(k); };
        g.EZpoSep.onExit = [this, k] { comparators_.EZpoSepExit(k); };
        g.EZpoRoz.onExit = [this, k] { comparators_.EZpoRozExit(k); };
        g.RezimRele.onChange = [this, k] { comparators_.RezimReleChange(k); };
    }
    f.EdLoLimDA.onExit = [this] { analogOutput_.EdLoLimDAExit(); };
    f.EdHiLimDA.onExit = [this] { analogOutput_.EdHiLimDAExit(); };
    onTransaction(f.Button2, [this] { return analogOutput_.Button2Click(); });
    onTransaction(f.Button3, [this] { return analogOutput_.Button3Click(); });
    onTransaction(f.ButMeasPV, [this] { return measurement_.ButMeasPVClick(); });
    onTransaction(f.Start_Mer, [this] { return measurement_.Start_MerClick(); });
    // Stop ends a continuous measurement, so it stays usable.
    onStop(f.Stop_mer, [this] { measurement_.Stop_merClick(); });

    onTransaction(f.Uloz_Pozn, [this] { return userNote_.Uloz_PoznClick(); });
    onTransaction(f.Prec_Pozn, [this] { return userNote_.Prec_PoznClick(); });
    onLocal(f.Ulosoub, [this] { return configFile_.UlosoubClick(); });
    onLocal(f.ctisoub, [this] { return configFile_.ctisoubClick(); });

    // The port choice takes effect at the next transaction, so it waits for the end of a running
    // operation like every other input.
    onLocal(f.SetCom, [this] { com_.SetComClick(); });
    onLocal(f.DalsiPorty, [this] { com_.DalsiPortyClick(); });
    f.RychlyPrenos.onClick = [this] { com_.RychlyPrenosClick(); };
    // Reads the signature on each port.
    onTransaction(f.NajitPrevodnik, [this] { return com_.NajitPrevodnikClick(); });
    onLocal(f.ButtonTV, [this] { form.applyProfile(BrandingProfile::TV); });
    onLocal(f.ButtonLMX, [this] { form.applyProfile(BrandingProfile::LMX); });
    onLocal(f.LabOdchylka, [this] { ++linPreview_.plotRequests; });  // plots the deviation
    onLocal(f.ButCidlo, [this] { sensorMatch_.ButCidloClick(); });  // opens "Přizpůsobení čidlu"
    onLocal(sensorDialog.Prizpusobit, [this] { sensorMatch_.PrizpusobitClick(); });
    onLocal(sensorDialog.CidloOK, [this] { sensorMatch_.CidloOKClick(); });
    onLocal(sensorDialog.CidloZrusit, [this] { sensorMatch_.CidloZrusitClick(); });

    // Page "Záloha".
    onTransaction(f.Zalohovat, [this] { return backupPage_.ZalohovatClick(); });
    onTransaction(f.Obnovit, [this] { return backupPage_.ObnovitClick(); });
    onTransaction(f.Porovnat, [this] { return backupPage_.PorovnatClick(); });
    onLocal(f.VybratSlozku, [this] { backupPage_.VybratSlozkuClick(); });
    f.ZalohaPredZapisem.onClick = [this] { backupPage_.settingClicked(); };
    f.OveritZapis.onClick = [this] { backupPage_.settingClicked(); };

    onLocal(dialog.OK, [this] { linFile_.OKClick(); });
    onLocal(dialog.Jiny, [this] { linFile_.JinyClick(); });
    dialog.stup_p.onChange = [this] { linFile_.stup_pChange(); };
    // A click on a method both switches the degree box and resets the degree.
    onLocal(dialog.Zpus_lin, [this] {
        linFile_.Zpus_linClick();
        linFile_.Zpus_linChange();
    });
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
    sensorMatch_.update();
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

void MainWindowModel::userClosedSensorDialog() {
    if (!sensorDialog.visible)
        return;
    run([&] { sensorMatch_.CidloZrusitClick(); });
}

void MainWindowModel::userShowedPage(int index) {
    if (index < 0 || index >= static_cast<int>(form.pages().size()))
        return;
    run([&] { form.activePage = index; });
}

Control* MainWindowModel::findAny(const QString& controlName) const {
    if (Control* c = form.find(controlName))
        return c;
    if (Control* c = dialog.find(controlName))
        return c;
    return sensorDialog.find(controlName);
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
