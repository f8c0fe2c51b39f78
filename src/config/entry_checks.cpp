#include "config/entry_checks.h"

#include "config/main_form.h"
#include "config/messages.h"
#include "config/text_util.h"
#include "lin/point_file.h"
#include "lin/single.h"
#include "model/code_tables.h"
#include "model/input_types.h"
#include "model/transmitter_config.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

using model::InputGroup;
using model::InputTypeInfo;

// Decimal-place class of a unified-signal range from its larger absolute end.
std::uint8_t decimalClass(long double begin, long double end) {
    const long double m = std::max(std::fabs(static_cast<long double>(lin::ToSingle(begin))),
                                   std::fabs(static_cast<long double>(lin::ToSingle(end))));
    if (9.9999L < m && m < 99.999L)
        return 2;
    if (99.999L < m && m < 999.99L)
        return 1;
    return 0;
}

}  // namespace

QString EntryChecks::UpravaFormatu(const QString& text) {
    return config::UpravaFormatu(text, e_.settings.decimalSeparator);
}

bool EntryChecks::fromFile() const {
    return e_.form.Linearizace.text == q(model::kLinFromFile);
}

void EntryChecks::TestMez() {
    InputState& s = e_.state;
    s.BeginOutOfRange = false;
    s.EndOutOfRange = false;
    if (fromFile()) {
        // Without a loaded file there is no interval to test against.
        const int n = e_.points.PointCount;
        if (n < 1 || n > lin::kMaxPoints)
            return;
        s.AllowedLow = e_.points.PointsOut[1];
        s.AllowedHigh = e_.points.PointsOut[static_cast<std::size_t>(n)];
        TestMez1();
        return;
    }
    const InputTypeInfo* type = model::FindInputType(utf8(e_.form.Vstup.text));
    if (!type)
        return;
    const auto interval =
        model::AllowedRangeOf(*type, e_.config.DividerRatio, e_.config.SenseResistance, 0).interval;
    if (!interval)
        return;
    std::tie(s.AllowedLow, s.AllowedHigh) = *interval;
    s.UnitText = q(type->unitText);
    TestMez1();
}

void EntryChecks::TestMez1() {
    InputState& s = e_.state;
    const long double lo = std::min(s.AllowedLow, s.AllowedHigh);
    const long double hi = std::max(s.AllowedLow, s.AllowedHigh);
    const auto outside = [&](long double v) { return v < lo || v > hi; };
    if (!e_.form.Pocatek.isEmpty() && outside(e_.config.RangeBegin))
        s.BeginOutOfRange = true;
    if (!e_.form.Konec.isEmpty() && outside(e_.config.RangeEnd))
        s.EndOutOfRange = true;
}

void EntryChecks::TestRozpeti() {
    InputState& s = e_.state;
    s.SpanTooSmall = false;
    if (e_.form.Pocatek.isEmpty() || e_.form.Konec.isEmpty())
        return;
    const InputTypeInfo* type = model::FindInputType(utf8(e_.form.Vstup.text));
    if (!type)
        return;
    const long double span = std::fabs(e_.config.RangeEnd - e_.config.RangeBegin);
    const auto minSpan =
        model::AllowedRangeOf(*type, e_.config.DividerRatio, e_.config.SenseResistance, span)
            .minSpan;
    if (!minSpan)
        return;
    s.MinSpan = *minSpan;
    s.SpanTooSmall = span < s.MinSpan - 0.0000001L;
}

void EntryChecks::rangeExit(End which) {
    MainForm& f = e_.form;
    InputState& s = e_.state;
    const bool begin = which == End::Begin;
    Edit& edit = begin ? f.Pocatek : f.Konec;
    if (edit.isEmpty())
        return;
    edit.setText(UpravaFormatu(edit.text()));

    const InputTypeInfo* type = model::FindInputType(utf8(f.Vstup.text));
    if (model::IsCurrentType(type) && e_.config.SenseResistance == 0) {
        e_.prompts.message(kMsgNoSenseResistor);
        e_.prompts.focus(f.SnOdpor.name);
        return;
    }
    const auto value = ParseReal(edit.text(), e_.settings.decimalSeparator);
    if (!value) {
        e_.prompts.message(begin ? kMsgBadLowerLimit : kMsgBadUpperLimit);
        e_.prompts.focus(edit.name);
        return;
    }
    (begin ? e_.config.RangeBegin : e_.config.RangeEnd) = *value;
    if (model::IsUnified(type))
        (begin ? s.BeginDecimals : s.EndDecimals) =
            decimalClass(e_.config.RangeBegin, e_.config.RangeEnd);

    TestMez();
    if (begin ? s.BeginOutOfRange : s.EndOutOfRange) {
        e_.prompts.message((begin ? kMsgLowerOutsideInterval : kMsgUpperOutsideInterval) +
                           FormatFixed3(s.AllowedLow) + u" až "_s + FormatFixed3(s.AllowedHigh) +
                           u" "_s + s.UnitText);
        e_.prompts.focus(edit.name);
    }
    if (!fromFile()) {
        TestRozpeti();
        if (s.SpanTooSmall) {
            e_.prompts.message(kMsgMinimumSpan + FormatFixed3(s.MinSpan) + u" "_s + s.UnitText);
            e_.prompts.focus(edit.name);
            if (!begin)
                return;
        }
    }
    Edit& output = begin ? f.EdLoLimDA : f.EdHiLimDA;
    if (output.isEmpty())
        output.setText(edit.text());
}

void EntryChecks::PocatekExit() {
    rangeExit(End::Begin);
}
void EntryChecks::KonecExit() {
    rangeExit(End::End);
}

float EntryChecks::DampingCoefficient(long double seconds) {
    const long double t = seconds;
    const long double denominator = -0.011217625L * t * t + 13.7776336L * t - 3.41301846L;
    float c = denominator == 0 ? 1.0f : lin::ToSingle(1 / denominator);
    if (std::isnan(c))
        c = 1.0f;
    return std::clamp(c, 0.002f, 1.0f);
}

void EntryChecks::TlumeniExit() {
    Edit& edit = e_.form.Tlumeni;
    e_.state.DampingRefused = false;
    if (edit.isEmpty())
        return;
    edit.setText(UpravaFormatu(edit.text()));
    if (const auto v = ParseReal(edit.text(), e_.settings.decimalSeparator)) {
        e_.config.Damping = *v;
    } else {
        e_.prompts.message(kMsgBadNumber);
        e_.prompts.focus(edit.name);
        e_.state.DampingRefused = true;
    }
    if (e_.config.Damping < 0.3L || e_.config.Damping > 30) {
        e_.prompts.message(kMsgDampingRange);
        e_.prompts.focus(edit.name);
        e_.state.DampingRefused = true;
    }
    e_.state.DampingCoefficient = DampingCoefficient(e_.config.Damping);
}

void EntryChecks::SnOdporExit() {
    Edit& edit = e_.form.SnOdpor;
    if (edit.isEmpty())
        return;
    edit.setText(UpravaFormatu(edit.text()));  // the change handler converts it
    if (e_.config.SenseResistance == 0) {
        e_.prompts.message(kMsgSenseResistorZero);
        e_.prompts.focus(edit.name);
    }
    KonecExit();  // the limits of the current inputs depend on the resistor
}

void EntryChecks::DelPomerExit() {
    Edit& edit = e_.form.DelPomer;
    if (edit.isEmpty())
        return;
    edit.setText(UpravaFormatu(edit.text()));
}

void EntryChecks::CelkovyOdporExit() {
    Edit& edit = e_.form.CelkovyOdpor;
    if (edit.isEmpty())
        return;
    edit.setText(UpravaFormatu(edit.text()));
    const auto value = ParseReal(edit.text(), e_.settings.decimalSeparator);
    if (!value) {
        e_.prompts.message(kMsgBadTotalResistance);
        e_.prompts.focus(edit.name);
        return;
    }
    e_.config.TotalResistance = *value;
    const InputTypeInfo* type = model::FindInputType(utf8(e_.form.Vstup.text));
    if (!type)
        return;
    if (type->group == InputGroup::RelativePotentiometer) {
        if (*value < 0 || *value > 4000) {
            e_.prompts.message(kMsgTotalResistanceRange);
            e_.prompts.focus(edit.name);
        }
    } else if (type->group == InputGroup::CurrentDifference) {
        const long double r = e_.config.SenseResistance;
        if (r == 0) {
            // The limit is a voltage across R; without R there is none to state.
            e_.prompts.message(kMsgNoSenseResistor);
            e_.prompts.focus(e_.form.SnOdpor.name);
            return;
        }
        const long double limit = 128 / r;  // 0.128 V across R, in mA
        if (*value < 0 || *value > limit) {
            const long double shown = std::trunc(128000 / r) / 1000;
            e_.prompts.message(kMsgMaxCurrentRange +
                               FormatGeneral(shown, e_.settings.decimalSeparator) + u" mA"_s);
            e_.prompts.focus(edit.name);
        }
    }
}

void EntryChecks::VzdStKonExit() {
    ComboBox& c = e_.form.VzdStKon;
    if (c.text.isEmpty())
        return;
    if (c.text == q(model::kColdJunctionInternal) || c.text == q(model::kColdJunctionExternal))
        return;
    e_.prompts.message(kMsgBadColdJunction);
    c.text.clear();
    e_.prompts.focus(c.name);
}

void EntryChecks::ChybproudExit() {
    ComboBox& c = e_.form.Chybproud;
    if (c.text.isEmpty())
        return;
    if (model::CodeOf(model::FaultCurrentTexts(), utf8(c.text)) != 0)
        return;
    e_.prompts.message(kMsgBadFaultCurrent);
    c.text.clear();
    e_.prompts.focus(c.name);
}

void EntryChecks::Testvyplneni() {
    MainForm& f = e_.form;
    const InputTypeInfo* type = model::FindInputType(utf8(f.Vstup.text));
    const InputGroup group = type ? type->group : InputGroup::Unified;
    const auto is = [&](InputGroup g) { return type && group == g; };
    const bool wired = is(InputGroup::ResistanceThermometer) || is(InputGroup::Rheostat) ||
                       is(InputGroup::Potentiometer) || is(InputGroup::RelativePotentiometer);
    const bool file = fromFile();

    struct Check {
        bool missing;
        QString message;
        Control* focus;
    };
    const Check checks[] = {
        {wired && f.PripCidl.text.isEmpty(), kMsgNoConnection, &f.PripCidl},
        {model::IsCurrentType(type) && f.SnOdpor.isEmpty(), kMsgNoMeasuringResistor, &f.SnOdpor},
        {f.Linearizace.text.isEmpty(), kMsgNoLinearization, &f.Linearizace},
        {f.Pocatek.isEmpty(), kMsgNoRangeBegin, &f.Pocatek},
        {f.Konec.isEmpty(), kMsgNoRangeEnd, &f.Konec},
        {f.Tlumeni.isEmpty(), kMsgNoDamping, &f.Tlumeni},
        {f.Chybproud.text.isEmpty(), kMsgNoFaultCurrent, &f.Chybproud},
        {file && f.OpenDialog1.fileName.isEmpty(), kMsgNoLinFile, nullptr},
        {file && f.VolenaJednotka.text.isEmpty(), kMsgNoUnit, &f.VolenaJednotka},
        {is(InputGroup::RelativePotentiometer) && f.CelkovyOdpor.isEmpty(),
         kMsgNoPotentiometerTotal, &f.CelkovyOdpor},
        {is(InputGroup::ResistorDifference) && f.CelkovyOdpor.isEmpty(), kMsgNoResistorPairTotal,
         &f.CelkovyOdpor},
        {is(InputGroup::VoltageDifference) && f.CelkovyOdpor.isEmpty(), kMsgNoVoltageTotal,
         &f.CelkovyOdpor},
        {is(InputGroup::CurrentDifference) && f.CelkovyOdpor.isEmpty(), kMsgNoCurrentTotal,
         &f.CelkovyOdpor},
    };
    for (const Check& c : checks) {
        if (!c.missing)
            continue;
        e_.prompts.message(c.message);
        if (c.focus && c.focus->visible && c.focus->enabled)
            e_.prompts.focus(c.focus->name);
        e_.state.IncompleteInput = true;
        return;
    }
}

float EntryChecks::ZPPrepoc(long double x) {
    // The sensor's own characteristic, whatever curve the display uses (file line, root).
    if (!characteristic_)
        return lin::ToSingle(x);
    return lin::ToSingle(characteristic_(e_.config.SensorCurve, lin::ToSingle(x)));
}

}  // namespace veld::config
