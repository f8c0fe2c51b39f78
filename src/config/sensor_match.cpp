#include "config/sensor_match.h"

#include "config/main_form.h"
#include "config/number_format.h"
#include "config/text_util.h"
#include "lin/format.h"
#include "model/code_tables.h"
#include "model/input_types.h"
#include "model/transmitter_config.h"

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

// Steps of the rising check: far finer than any bend the bounded coefficients allow.
constexpr long double kRiseStep = 0.1L;

QString Num(long double v) {
    return QString::fromStdString(lin::FormatGeneral(v));
}

std::optional<int> PlatinumCode(const MainForm& form) {
    const model::InputTypeInfo* type = model::FindInputType(utf8(form.Vstup.text));
    if (!type || (type->sensorCurve != lin::kCurvePt100 && type->sensorCurve != lin::kCurvePt1000))
        return std::nullopt;
    return type->sensorCurve;
}

long double Nominal(int code) {
    return code == lin::kCurvePt1000 ? 1000 : 100;
}

// `value` within `percent` of `standard`.
bool Within(long double value, long double standard, int percent) {
    return std::fabs(value - standard) * 100 <= std::fabs(standard) * percent;
}

QString BoundsText(long double standard, int percent) {
    const long double a = standard * (100 - percent) / 100, b = standard * (100 + percent) / 100;
    return u"%1 až %2 (normová hodnota %3 ± %4 %)"_s
        .arg(Num(std::min(a, b)), Num(std::max(a, b)), Num(standard))
        .arg(percent);
}

}  // namespace

SensorMatchForm::SensorMatchForm()
    : Prizpusobit(u"Prizpusobit"_s, u"Přizpůsobit linearizaci čidlu podle kalibračního listu"_s),
      LabCidloR0(u"LabCidloR0"_s, u"R0 (odpor při 0 °C)"_s),
      CidloR0(u"CidloR0"_s),
      JedCidloR0(u"JedCidloR0"_s, u"Ohm"_s),
      LabCidloA(u"LabCidloA"_s, u"Koeficient A"_s),
      CidloA(u"CidloA"_s),
      JedCidloA(u"JedCidloA"_s, u"1/°C"_s),
      LabCidloB(u"LabCidloB"_s, u"Koeficient B"_s),
      CidloB(u"CidloB"_s),
      JedCidloB(u"JedCidloB"_s, u"1/°C²"_s),
      LabCidloC(u"LabCidloC"_s, u"Koeficient C"_s),
      CidloC(u"CidloC"_s),
      JedCidloC(u"JedCidloC"_s, u"1/°C⁴"_s),
      LabCidloPozn(u"LabCidloPozn"_s,
                   u"R(t) = R0 (1 + A·t + B·t² + C·(t − 100)·t³); C platí jen pod 0 °C, "
                   u"pro rozsah nad 0 °C se nezadává."_s),
      CidloOK(u"CidloOK"_s, u"OK"_s),
      CidloZrusit(u"CidloZrusit"_s, u"Zrušit"_s) {
    all_ = {&Prizpusobit, &LabCidloR0,   &CidloR0, &JedCidloR0, &LabCidloA, &CidloA,
            &JedCidloA,   &LabCidloB,    &CidloB,  &JedCidloB,  &LabCidloC, &CidloC,
            &JedCidloC,   &LabCidloPozn, &CidloOK, &CidloZrusit};
}

Control* SensorMatchForm::find(const QString& controlName) const {
    for (Control* c : all_)
        if (c->name == controlName)
            return c;
    return nullptr;
}

std::optional<PlatinumRefusal> CheckPlatinum(int code, const lin::PlatinumCoefficients& k,
                                             long double lo, long double hi) {
    // Outside the sensor's limits there is nothing to check (the range's own check refuses it).
    if (const auto limits = lin::SensorLimits(code)) {
        lo = std::max(lo, limits->lo);
        hi = std::min(hi, limits->hi);
    }
    const long double nominal = Nominal(code);
    if (!Within(k.r0, nominal, kR0TolerancePercent))
        return PlatinumRefusal{
            u"CidloR0"_s,
            u"R0 = %1 Ohm neodpovídá čidlu: jmenovitý odpor je %2 Ohm, přípustné je %3 až %4 Ohm "
            u"(± %5 %)."_s
                .arg(Num(k.r0), Num(nominal), Num(nominal * (100 - kR0TolerancePercent) / 100),
                     Num(nominal * (100 + kR0TolerancePercent) / 100))
                .arg(kR0TolerancePercent)};
    // The inverse and both table builders take the characteristic as rising.
    lin::CurveParams params;
    params.platinum = k;
    const auto at = [&](long double t) { return *lin::Characteristic(code, t, params); };
    const long double span = hi - lo;
    const int steps = span > 0 ? std::max(1, static_cast<int>(std::ceil(span / kRiseStep))) : 0;
    long double previous = at(lo);
    for (int i = 1; i <= steps; ++i) {
        const long double t = i == steps ? hi : lo + span * i / steps;
        const long double r = at(t);
        if (!(r > previous))
            return PlatinumRefusal{
                u"CidloA"_s,
                u"S koeficienty A = %1, B = %2, C = %3 odpor čidla v rozsahu %4 až %5 °C neroste "
                u"(u %6 °C už ne). Zkontrolujte koeficienty A, B a C."_s.arg(
                    Num(k.a), Num(k.b), Num(k.c), Num(lo), Num(hi), Num(t))};
        previous = r;
    }
    if (!Within(k.a, kStandardA, kATolerancePercent))
        return PlatinumRefusal{u"CidloA"_s,
                               u"Koeficient A = %1 je mimo meze %2."_s.arg(
                                   Num(k.a), BoundsText(kStandardA, kATolerancePercent))};
    if (!Within(k.b, kStandardB, kBTolerancePercent))
        return PlatinumRefusal{u"CidloB"_s,
                               u"Koeficient B = %1 je mimo meze %2."_s.arg(
                                   Num(k.b), BoundsText(kStandardB, kBTolerancePercent))};
    if (lo < 0 && k.c != 0 && !Within(k.c, kStandardC, kCTolerancePercent))
        return PlatinumRefusal{u"CidloC"_s,
                               u"Koeficient C = %1 je mimo meze %2; bez členu C zadejte 0."_s.arg(
                                   Num(k.c), BoundsText(kStandardC, kCTolerancePercent))};
    return std::nullopt;
}

bool SensorMatch::Applies(const MainForm& form) {
    return form.Linearizace.text == q(model::kLinBuiltIn) && PlatinumCode(form).has_value();
}

std::optional<lin::PlatinumCoefficients> SensorMatch::InForce(const MainForm& form,
                                                              const InputState& state) {
    if (!Applies(form))
        return std::nullopt;
    return state.MatchedPlatinum;
}

void SensorMatch::ButCidloClick() {
    if (!Applies(e_.form))
        return;
    const DecimalSeparator sep = e_.settings.decimalSeparator;
    const auto& matched = e_.state.MatchedPlatinum;
    const lin::PlatinumCoefficients k = matched.value_or(lin::PlatinumCoefficients{
        Nominal(*PlatinumCode(e_.form)), kStandardA, kStandardB, kStandardC});
    d_.Prizpusobit.checked = matched.has_value();
    d_.CidloR0.setText(FormatGeneral(k.r0, sep));
    d_.CidloA.setText(UpravaFormatu(Num(k.a), sep));
    d_.CidloB.setText(UpravaFormatu(Num(k.b), sep));
    d_.CidloC.setText(UpravaFormatu(Num(k.c), sep));
    d_.visible = true;
    update();
}

void SensorMatch::PrizpusobitClick() {
    update();
}

std::optional<lin::PlatinumCoefficients> SensorMatch::readFields(long double lo) {
    const DecimalSeparator sep = e_.settings.decimalSeparator;
    const auto field = [&](const Edit& edit, const QString& name,
                           bool optional) -> std::optional<long double> {
        if (edit.text().trimmed().isEmpty()) {
            if (optional)
                return 0.0L;
            refused(PlatinumRefusal{edit.name, u"Vyplňte %1."_s.arg(name)});
            return std::nullopt;
        }
        const auto v = ParseReal(UpravaFormatu(edit.text(), sep), sep);
        if (!v)
            refused(PlatinumRefusal{edit.name, u"%1: „%2“ není číslo."_s.arg(name, edit.text())});
        return v;
    };
    const auto r0 = field(d_.CidloR0, u"R0"_s, false);
    if (!r0)
        return std::nullopt;
    const auto a = field(d_.CidloA, u"koeficient A"_s, false);
    if (!a)
        return std::nullopt;
    const auto b = field(d_.CidloB, u"koeficient B"_s, false);
    if (!b)
        return std::nullopt;
    // Above 0 °C the C term takes no part: whatever the field holds is not read.
    long double c = 0;
    if (lo < 0) {
        const auto typed = field(d_.CidloC, u"koeficient C"_s, true);
        if (!typed)
            return std::nullopt;
        c = *typed;
    }
    return lin::PlatinumCoefficients{*r0, *a, *b, c};
}

bool SensorMatch::refused(const std::optional<PlatinumRefusal>& refusal) {
    if (!refusal)
        return false;
    e_.prompts.message(refusal->message);
    if (d_.visible)
        e_.prompts.focus(refusal->field);
    return true;
}

void SensorMatch::CidloOKClick() {
    const auto code = PlatinumCode(e_.form);
    if (!d_.Prizpusobit.checked || !code) {
        if (!d_.Prizpusobit.checked)
            e_.state.MatchedPlatinum.reset();
        d_.visible = false;
        update();
        return;
    }
    // The range on the page, or the sensor's whole range while it is not filled in.
    const DecimalSeparator sep = e_.settings.decimalSeparator;
    const auto begin = ParseReal(e_.form.Pocatek.text(), sep);
    const auto end = ParseReal(e_.form.Konec.text(), sep);
    const lin::TemperatureSpan limits = *lin::SensorLimits(*code);
    long double lo = limits.lo, hi = limits.hi;
    if (begin && end && *begin != *end) {
        lo = std::max(limits.lo, std::min(*begin, *end));
        hi = std::min(limits.hi, std::max(*begin, *end));
    }
    const auto k = readFields(lo);
    if (!k || refused(CheckPlatinum(*code, *k, lo, hi)))
        return;
    e_.state.MatchedPlatinum = *k;
    d_.visible = false;
    update();
}

void SensorMatch::CidloZrusitClick() {
    d_.visible = false;
    update();
}

bool SensorMatch::acceptedForWrite() {
    const auto k = InForce(e_.form, e_.state);
    if (!k)
        return true;
    const long double lo = std::min(e_.config.RangeBegin, e_.config.RangeEnd);
    const long double hi = std::max(e_.config.RangeBegin, e_.config.RangeEnd);
    const auto refusal = CheckPlatinum(*PlatinumCode(e_.form), *k, lo, hi);
    if (!refusal)
        return true;
    e_.prompts.message(u"Přizpůsobení čidlu: "_s + refusal->message +
                       u" Do převodníku se nic nezapsalo."_s);
    return false;
}

void SensorMatch::update() {
    MainForm& f = e_.form;
    f.ButCidlo.visible = f.ButCidlo.enabled = Applies(f);
    // Short either way: a longer caption would widen the page's column.
    f.ButCidlo.caption = InForce(f, e_.state) ? u"Přizpůsobeno čidlu…"_s : u"Přizpůsobení čidlu…"_s;
    for (Edit* edit : {&d_.CidloR0, &d_.CidloA, &d_.CidloB, &d_.CidloC})
        edit->enabled = d_.Prizpusobit.checked;
}

}  // namespace veld::config
