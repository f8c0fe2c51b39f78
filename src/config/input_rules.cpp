#include "config/input_rules.h"

#include "config/lin_dialog.h"
#include "config/lin_file.h"
#include "config/main_form.h"
#include "config/messages.h"
#include "config/text_util.h"
#include "lin/point_file.h"
#include "model/code_tables.h"
#include "model/input_types.h"
#include "model/transmitter_config.h"

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

using model::Connection;
using model::InputGroup;
using model::InputTypeInfo;
using model::LinChoice;

QString wiring(int wires) {
    return q(model::TextOf(model::WiringTexts(), static_cast<std::uint8_t>(wires)));
}
const QString kDvou = wiring(2);
const QString kTri = wiring(3);
const QString kCtyr = wiring(4);

// Captions of the range heading `Label4`.
const QString kRangeCaption = u"Měřicí rozsah"_s;
const QString kRangeLinearizedCaption = u"Měřicí rozsah po linearizaci"_s;
const QString kRangeRootCaption = u"Měřicí rozsah po úpravě"_s;

QStringList connectionItems(Connection c) {
    QStringList items = ItemsOf(model::WiringTexts());
    if (c == Connection::ThreeFour)
        items.removeOne(kDvou);
    return c == Connection::TwoThreeFour || c == Connection::ThreeFour ? items : QStringList{};
}

void showAll(std::initializer_list<Control*> list) {
    for (Control* c : list)
        c->show();
}
void hideAll(std::initializer_list<Control*> list) {
    for (Control* c : list)
        c->hide();
}
void enableAll(std::initializer_list<Control*> list, bool on) {
    for (Control* c : list)
        c->enabled = on;
}

}  // namespace

const InputTypeInfo* InputRules::currentType() const {
    return model::FindInputType(utf8(e_.form.Vstup.text));
}

void InputRules::setUnitLabels(const QString& unit) {
    for (Label* l : e_.form.UnitLabels())
        l->caption = unit;
}

void InputRules::setFixedUnifiedRange(const InputTypeInfo& type) {
    e_.form.Pocatek.setText(q(type.unified->beginText));
    e_.form.Konec.setText(q(type.unified->endText));
}

void InputRules::VstupChange() {
    MainForm& f = e_.form;
    f.Transfer1.position = 0;
    f.Prenos.position = 0;

    // Reset everything that depends on the type.
    hideAll({&f.Label10, &f.DelPomer, &f.Label11});
    f.DelPomer.setText(u"1"_s);
    hideAll({&f.Label1, &f.korekcePV, &f.Label30});
    f.korekcePV.setText(u"0"_s);
    e_.config.PvCorrection = 0;
    hideAll({&f.Label31, &f.SnOdpor, &f.Label32});
    f.SnOdpor.setText(QString());
    hideAll({&f.Vol_Jednotka, &f.VolenaJednotka});
    hideAll({&f.Pcelkodpor, &f.CelkovyOdpor, &f.Jcelkodpor});
    f.CelkovyOdpor.setText(QString());
    enableAll({&f.Bevel3, &f.Label4, &f.Label6, &f.Label7, &f.Label15, &f.Label18, &f.S_Dolmez,
               &f.S_Hormez},
              false);
    f.Pocatek.setText(QString());
    f.Konec.setText(QString());
    f.PripCidl.text.clear();
    f.Linearizace.text.clear();
    f.Pocatek.enabled = false;
    f.Konec.enabled = false;
    hideAll({&f.OVzdStKon, &f.VzdStKon});
    f.VzdStKon.text.clear();

    const InputTypeInfo* type = currentType();
    if (model::IsUnified(type)) {
        f.Linearizace.visible = true;
        setFixedUnifiedRange(*type);
        e_.state.SignalLow = type->unified->low;
        e_.state.SignalHigh = type->unified->high;
        e_.state.SignalOffset = type->unified->offset;
        e_.state.SignalSpan = type->unified->span;
    }
    if (!type) {
        f.Vstup.text.clear();
        return;
    }

    enableAll({&f.Label4, &f.Label6, &f.Label7, &f.Label15, &f.Label8, &f.Label18, &f.S_Dolmez,
               &f.S_Hormez, &f.Linearizace},
              true);
    if (!model::IsUnified(type))
        enableAll({&f.Pocatek, &f.Konec}, true);

    if (type->connection != Connection::Hidden) {
        showAll({&f.Label3, &f.PripCidl});
        if (type->connection != Connection::KeepItems)
            f.PripCidl.items = connectionItems(type->connection);
    } else {
        hideAll({&f.Label3, &f.PripCidl});
        f.PripCidl.text.clear();
    }
    if (type->pvCorrectionGroup) {
        showAll({&f.Label1, &f.korekcePV, &f.Label30});
        f.korekcePV.setText(u"0"_s);
    }
    if (type->senseResistorGroup)
        showAll({&f.Label31, &f.SnOdpor, &f.Label32});
    // The completeness check asks for the total resistance of these types, so it is offered.
    if (!type->totalValueCaption.empty()) {
        f.Pcelkodpor.caption = q(type->totalValueCaption);
        showAll({&f.Pcelkodpor, &f.CelkovyOdpor, &f.Jcelkodpor});
    }

    PrepJednotek();

    switch (type->lin) {
        case LinChoice::Full:
            f.Linearizace.items = {q(model::kLinBuiltIn), q(model::kLinNone),
                                   q(model::kLinFromFile)};
            f.Linearizace.text = q(model::kLinBuiltIn);
            break;
        case LinChoice::Plain:
            f.Linearizace.items = {q(model::kLinNone), q(model::kLinFromFile)};
            f.Linearizace.text = q(model::kLinNone);
            break;
        case LinChoice::Keep:
            break;
    }
    e_.state.InputTypeText = f.Vstup.text;
}

void InputRules::PrepJednotek() {
    const InputTypeInfo* type = currentType();
    if (!type)
        return;
    MainForm& f = e_.form;
    const QString unit = q(type->unitText);
    setUnitLabels(unit);
    f.VolenaJednotka.text = unit;
    if (type->unitCode == model::kUnitOhm || type->unitCode == model::kUnitVolt ||
        type->unitCode == model::kUnitMilliAmp)
        f.Jcelkodpor.caption = unit;
    e_.config.UnitCode = type->unitCode;
    if (type->group == InputGroup::RelativePotentiometer)
        f.DelPomer.setText(u"100"_s);
    if (type->dividerGroup)
        showAll({&f.Label10, &f.DelPomer, &f.Label11});
}

void InputRules::PripCidlChange() {
    ComboBox& c = e_.form.PripCidl;
    if (!c.text.isEmpty()) {
        const QChar first = c.text.front();
        if (first == u'D' || first == u'd')
            c.text = kDvou;
        else if (first == u'T' || first == u't')
            c.text = kTri;
        else if (first == u'Č' || first == u'č' || first == u'C' || first == u'c')
            c.text = kCtyr;
    }
    // Only the plain potentiometer refuses two wires; the relative one takes them.
    const InputTypeInfo* type = currentType();
    const bool twoWires = !type || type->group != InputGroup::Potentiometer;
    if (c.text == kTri || c.text == kCtyr || (c.text == kDvou && twoWires))
        return;
    c.text.clear();
    e_.prompts.message(kMsgBadConnection);
    e_.prompts.focus(c.name);
}

void InputRules::LinearizaceChange() {
    MainForm& f = e_.form;
    hideAll({&f.Vol_Jednotka, &f.VolenaJednotka});
    ComboBox& lin = f.Linearizace;
    if (!lin.text.isEmpty()) {
        const QChar first = lin.text.front();
        if (first == u'L' || first == u'l')
            lin.text = q(model::kLinBuiltIn);
        else if (first == u'N' || first == u'n')
            lin.text = q(model::kLinNone);
        else if (first == u'Z' || first == u'z')
            lin.text = q(model::kLinFromFile);
    }
    const InputTypeInfo* type = currentType();
    const bool unified = model::IsUnified(type);

    if (lin.text == q(model::kLinBuiltIn)) {
        f.Label4.caption = unified ? kRangeLinearizedCaption : kRangeCaption;
        if (unified)
            enableAll({&f.Pocatek, &f.Konec}, true);
    } else if (lin.text == q(model::kLinNone)) {
        f.Label4.caption = kRangeCaption;
        if (unified) {
            enableAll({&f.Pocatek, &f.Konec}, false);
            setFixedUnifiedRange(*type);
        }
        PrepJednotek();
    } else if (lin.text == q(model::kLinSquareRoot)) {
        f.Label4.caption = unified ? kRangeRootCaption : kRangeCaption;
        if (unified)
            enableAll({&f.Pocatek, &f.Konec}, true);
        enableAll({&f.Label18, &f.S_Dolmez, &f.S_Hormez}, false);
    } else if (lin.text == q(model::kLinFromFile)) {
        enableAll({&f.Pocatek, &f.Konec}, true);
        f.Pocatek.setText(QString());
        f.Konec.setText(QString());
        f.Label4.caption = kRangeLinearizedCaption;
        showAll({&f.Vol_Jednotka, &f.VolenaJednotka});
        f.VolenaJednotka.text = q(model::TextOf(model::UnitChoices(), model::kUnitNone));
        e_.state.UnitText.clear();
        setUnitLabels(QString());
        linFile_.vyber_souboru();
        if (!e_.points.PointsLoaded) {
            lin.clear();
            VstupChange();
        }
        e_.state.LinFileChosen = true;
    } else {
        lin.text.clear();
        e_.prompts.message(kMsgBadLinearization);
    }
}

void InputRules::VolenaJednotkaChange() {
    ComboBox& c = e_.form.VolenaJednotka;
    // The first character picks the item, in either case.
    QString unit;
    for (const QString& item : ItemsOf(model::UnitChoices()))
        if (!c.text.isEmpty() && item.front().toCaseFolded() == c.text.front().toCaseFolded())
            unit = item;
    if (unit.isEmpty()) {
        c.text.clear();
        e_.prompts.focus(c.name);
        return;
    }
    c.text = unit;
    const std::uint8_t code = model::CodeOf(model::UnitChoices(), utf8(unit));
    e_.config.UnitCode = code;
    setUnitLabels(code == model::kUnitNone ? QString() : unit);
}

// Both convert with the system's separator only: the other one is normalized when the user
// leaves the edit, and until then a text with it is no number.
void InputRules::SnOdporChange() {
    Edit& edit = e_.form.SnOdpor;
    if (edit.isEmpty())
        return;
    if (const auto v = ParseReal(edit.text(), e_.settings.decimalSeparator)) {
        e_.config.SenseResistance = *v;
        return;
    }
    e_.prompts.message(kMsgBadSenseResistor);
    edit.setText(QString());
}

void InputRules::DelPomerChange() {
    Edit& edit = e_.form.DelPomer;
    if (edit.isEmpty())
        return;
    if (const auto v = ParseReal(edit.text(), e_.settings.decimalSeparator)) {
        e_.config.DividerRatio = *v;
        return;
    }
    e_.prompts.message(kMsgBadDivider);
    edit.setText(QString());
}

}  // namespace veld::config
