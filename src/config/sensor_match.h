#pragma once

#include "config/controls.h"
#include "config/input_state.h"
#include "lin/functions.h"

#include <QString>
#include <optional>
#include <vector>

// Sensor matching, opt-in: a calibrated platinum resistance thermometer's own Callendar-Van Dusen
// coefficients (from its certificate) replace the built-in characteristic in the table
// "linearizováno" uploads, the spline's or the precise one. Nothing else a write sends changes.
namespace veld::config {

struct MainForm;

// Standard platinum coefficients (IEC 60751), the centre of the bounds below.
inline constexpr long double kStandardA = 3.9083e-3L;
inline constexpr long double kStandardB = -5.775e-7L;
inline constexpr long double kStandardC = -4.183e-12L;
// R0 of a sensor within this of its nominal: class tolerances are a few tenths of a per cent,
// more is another sensor or a typing error.
inline constexpr int kR0TolerancePercent = 5;
// Certified coefficients stay close to the standard ones; beyond these the figures belong to
// another material or were typed with a wrong exponent.
inline constexpr int kATolerancePercent = 2;
inline constexpr int kBTolerancePercent = 10;
// C is small and scatters most; 0 (no C term) is accepted too.
inline constexpr int kCTolerancePercent = 20;

// The dialog "Přizpůsobení čidlu" as plain data. It is shown without blocking while `visible`.
struct SensorMatchForm {
    SensorMatchForm();
    SensorMatchForm(const SensorMatchForm&) = delete;
    SensorMatchForm& operator=(const SensorMatchForm&) = delete;

    const std::vector<Control*>& controls() const { return all_; }
    Control* find(const QString& controlName) const;

    QString caption = QStringLiteral("Přizpůsobení čidlu");
    bool visible = false;

    CheckBox Prizpusobit;  // matching on
    Label LabCidloR0;
    Edit CidloR0;
    Label JedCidloR0;
    Label LabCidloA;
    Edit CidloA;
    Label JedCidloA;
    Label LabCidloB;
    Edit CidloB;
    Label JedCidloB;
    Label LabCidloC;
    Edit CidloC;  // may stay empty (0) for a range without temperatures below 0 °C
    Label JedCidloC;
    Label LabCidloPozn;
    Button CidloOK;
    Button CidloZrusit;

private:
    std::vector<Control*> all_;
};

// Why coefficients were refused: the control of the field at fault and a Czech message.
struct PlatinumRefusal {
    QString field;
    QString message;
};

// The checks of coefficients for Pt100 or Pt1000 (`code`) over the range lo..hi: R0 within
// kR0TolerancePercent of the nominal, the characteristic strictly rising over the range, A, B
// and (only for a range below 0 °C, where it counts) C within their bounds.
std::optional<PlatinumRefusal> CheckPlatinum(int code, const lin::PlatinumCoefficients& k,
                                             long double lo, long double hi);

class SensorMatch {
public:
    SensorMatch(Editor& editor, SensorMatchForm& dialog) : e_(editor), d_(dialog) {}

    // Whether matching is offered: a platinum resistance thermometer, "linearizováno".
    static bool Applies(const MainForm& form);
    // The coefficients a write or the preview takes for the page: none when matching is off or
    // not offered.
    static std::optional<lin::PlatinumCoefficients> InForce(const MainForm& form,
                                                            const InputState& state);

    // `ButCidlo`: opens the dialog with the coefficients in force, or the standard ones.
    void ButCidloClick();
    // `CidloOK`: the check box off turns matching off; on, the fields are checked against the
    // range on the page and accepted, or the message names the field and the dialog stays open.
    void CidloOKClick();
    // `CidloZrusit` and the close box: the dialog closes and nothing changes.
    void CidloZrusitClick();
    void PrizpusobitClick();

    // Before a write: the coefficients in force checked against the range as the entry checks
    // left it; false after the message when refused.
    bool acceptedForWrite();
    // The caption of `ButCidlo` and the fields' state, as matching stands.
    void update();

private:
    std::optional<lin::PlatinumCoefficients> readFields(long double lo);
    bool refused(const std::optional<PlatinumRefusal>& refusal);

    Editor& e_;
    SensorMatchForm& d_;
};

}  // namespace veld::config
