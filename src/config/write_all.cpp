#include "config/write_all.h"

#include "config/main_window_model.h"
#include "config/number_format.h"
#include "config/text_util.h"
#include "lin/single.h"
#include "link/device_access.h"
#include "link/link.h"
#include "model/code_tables.h"
#include "model/eeprom_map.h"
#include "model/input_types.h"
#include "model/record_codec.h"
#include "model/uploads.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <limits>
#include <span>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

namespace map = model::eeprom;
using model::InputGroup;
using model::RealBytes;

// The hardware ranges of an input, smallest first: the first whose limit the signal does not
// exceed chooses the code.
struct Ranges {
    std::span<const long double> limits;
    std::span<const std::uint8_t> codes;
};

// Curve codes as the record stores them.
constexpr auto kFileLine = static_cast<std::uint8_t>(lin::kCurveFileLine);
constexpr auto kSquareRoot = static_cast<std::uint8_t>(lin::kCurveSquareRoot);
constexpr auto kIdentity = static_cast<std::uint8_t>(lin::kCurveIdentity);

constexpr std::array<long double, 4> kOhms{200, 400, 2000, 4000};
constexpr std::array<long double, 4> kMillivolts{0.016L, 0.032L, 0.064L, 0.128L};
constexpr std::array<long double, 6> kVolts{0.016L, 0.032L, 0.064L, 0.128L, 0.5L, 1.2L};
constexpr std::array<std::uint8_t, 4> kFourWire{1, 2, 3, 4};
constexpr std::array<std::uint8_t, 4> kTwoThreeWire{5, 6, 7, 8};
constexpr std::array<std::uint8_t, 4> kPotentiometer{17, 18, 19, 20};
constexpr std::array<std::uint8_t, 4> kResistorPair{41, 42, 43, 44};
constexpr std::array<std::uint8_t, 6> kVoltage{25, 26, 27, 28, 52, 53};
constexpr std::array<std::uint8_t, 4> kThermocouple{29, 30, 31, 32};  // internal cold junction
constexpr std::array<std::uint8_t, 4> kDifference{45, 46, 47, 48};

std::optional<std::uint8_t> Choose(long double signal, Ranges ranges) {
    for (std::size_t i = 0; i < ranges.limits.size(); ++i)
        if (signal <= ranges.limits[i])
            return ranges.codes[i];
    return std::nullopt;
}

// Input type codes of the unified-signal inputs, and their hardware codes.
constexpr std::uint8_t kUnifiedVolts = 22;      // "0...10 V-vstup U/I"
constexpr std::uint8_t kUnifiedMilliamps = 23;  // "0...20 mA-vstup U/I"
constexpr std::uint8_t kUnifiedCodes[] = {49, 50, 51};

// Beyond these the unified-signal input's own limits are not checked by the transmitter.
constexpr float kUnifiedLimitHi = 99999.0f;
constexpr float kUnifiedLimitLo = -19999.0f;

}  // namespace

void WriteAll::MathMessages::message(const std::string& text) {
    m_.prompts().message(QString::fromStdString(text));
}

WriteAll::WriteAll(MainWindowModel& model)
    : m_(model),
      progress_(model.form.Prenos, [this] { m_.notifyChanged(); }),
      mathMessages_(model),
      math_(mathMessages_, points_) {}

void WriteAll::message(const QString& text) {
    m_.prompts().message(text);
}

template <class R>
bool WriteAll::sent(const R& result) {
    if (result.ok())
        return true;
    failure_.record(result.failure());
    failedSinceCheck_ = true;
    return false;
}

bool WriteAll::send(const model::EepromWrite& write) {
    if (!sent(m_.device().writeBytes(write.address, write.bytes)))
        return false;
    if (write.pauseAfter.count() > 0)
        m_.device().link().clock().pause(write.pauseAfter);
    return true;
}

bool WriteAll::sendAll(const model::WritePlan& plan) {
    return std::all_of(plan.begin(), plan.end(), [this](const auto& w) { return send(w); });
}

// Some writes have no check of their own; a failure among them stops the sequence at the next
// check, so nothing the transmitter did not take is reported as written.
bool WriteAll::check() {
    const bool ok = !failedSinceCheck_;
    failedSinceCheck_ = false;
    return ok;
}

Outcome WriteAll::PoslatClick() {
    MainForm& f = m_.form;
    ButtonBusy busy(f.Poslat);
    failure_.clear();
    failedSinceCheck_ = false;

    // The entry checks, on the page as it stands.
    if (!entriesAccepted())
        return Outcome::Stopped;
    if (f.Linearizace.text == q(model::kLinFromFile) && !m_.state.LinFileChosen) {
        // After a read the point file is chosen first; the user presses again.
        m_.rules().LinearizaceChange();
        m_.state.LinFileChosen = true;
        progress_(0);
        return Outcome::Stopped;
    }
    if (!takePage())
        return Outcome::Stopped;
    RangeReversed_ = !(rec_.RangeBegin < rec_.RangeEnd);
    math_.CurveRangeLo = std::min(rec_.RangeBegin, rec_.RangeEnd);
    math_.CurveRangeHi = std::max(rec_.RangeBegin, rec_.RangeEnd);

    // Everything below is derived from the copy of the page: the hardware, the internal range
    // and limits, the output flags.
    if (!chooseHardware())
        return Outcome::Stopped;
    internalRange();
    const auto flags = model::WriteOutputFlags(rec_.FaultCurrent, RangeReversed_);
    if (!flags) {
        message(q(flags.message()));
        return Outcome::Stopped;
    }
    outputFlags_ = *flags;

    // The firmware number, then the linearization.
    if (page_.lin == Lin::None) {
        rec_.SensorCurve = kIdentity;
        rec_.LinMode = 0;
    }
    const auto firmware = m_.device().readBytes(map::kFirmware.address, map::kFirmware.length);
    if (!sent(firmware))
        return Outcome::Stopped;
    f.setFirmwareNumber(firmware->at(0));
    m_.notifyChanged();
    if (!buildLinearization())
        return Outcome::Stopped;
    publish();

    // The user's word and the device type.
    if (!m_.prompts().question(u"Opravdu se má zapsat konfigurace ?"_s))
        return Outcome::Declined;
    progress_(0);
    const auto signature = m_.device().readBytes(map::kSignature.address, map::kSignature.length);
    if (!sent(signature))
        return Outcome::Stopped;
    if (!model::IsVeldSignature(*signature)) {
        message(u"Typ převodníku není VELD."_s);
        return Outcome::Stopped;
    }
    HwPreset_ = *model::HwPresetSelect(rec_.HwCode);  // a code without a row has stopped

    return writeConfiguration();
}

bool WriteAll::entriesAccepted() {
    EntryChecks& checks = m_.checks();
    InputState& s = m_.state;
    MainForm& f = m_.form;
    const DecimalSeparator sep = m_.settings().decimalSeparator;
    // A field that is no number has shown its message and left the value before it in the
    // record; that value must not be written as if it had been typed.
    const auto notANumber = [sep](const Edit& edit) {
        return !edit.isEmpty() && !ParseReal(edit.text(), sep);
    };
    const model::InputTypeInfo* type = model::FindInputType(utf8(f.Vstup.text));
    const auto noSenseResistor = [&] {
        return model::IsCurrentType(type) && m_.config.SenseResistance == 0;
    };

    // A value its check refused is not written, nor the one before it in its place.
    checks.TlumeniExit();
    if (s.DampingRefused)
        return false;
    s.IncompleteInput = false;
    checks.Testvyplneni();
    if (s.IncompleteInput)
        return false;
    checks.PocatekExit();
    if (s.BeginOutOfRange || notANumber(f.Pocatek) || noSenseResistor())
        return false;
    checks.KonecExit();
    if (s.EndOutOfRange || notANumber(f.Konec))
        return false;
    // The correction's check empties a value it refuses; the write would show that after "Stop"
    // and go on with the correction before.
    const Edit& correction = f.korekcePV;
    if (correction.visible) {
        const auto typed = ParseReal(UpravaFormatu(correction.text(), sep), sep);
        if (correction.isEmpty() || !typed || std::fabs(*typed) > FLT_MAX) {
            message(correction.isEmpty() ? u"Je nutno vyplnit hodnotu korekce PV."_s
                                         : u"Špatně zadaná hodnota korekce měřeného odporu."_s);
            m_.prompts().focus(correction.name);
            return false;
        }
    }
    m_.rules().VolenaJednotkaChange();
    return true;
}

bool WriteAll::takePage() {
    const MainForm& f = m_.form;
    page_ = Page{};
    page_.type = model::FindInputType(utf8(f.Vstup.text));
    const QString& lin = f.Linearizace.text;
    if (lin == q(model::kLinBuiltIn)) {
        page_.lin = Lin::BuiltIn;
    } else if (lin == q(model::kLinNone)) {
        page_.lin = Lin::None;
    } else if (lin == q(model::kLinFromFile)) {
        page_.lin = Lin::FromFile;
    } else if (lin == q(model::kLinSquareRoot)) {
        page_.lin = Lin::SquareRoot;
    } else {
        message(u"špatně zadaný způsob linearizace"_s);
        return false;
    }
    page_.fourWire = f.PripCidl.text == u"čtyřvodičově"_s;
    page_.polynomial = m_.dialog.Zpus_lin.itemIndex == LinDialogForm::kMethodPolynomial;
    page_.precise = f.PresnaLin.checked;
    page_.chybproud = f.Chybproud.text;
    page_.pripCidl = f.PripCidl.text;
    page_.korekcePV = f.korekcePV.text();
    page_.state = m_.state;
    rec_ = m_.config;
    points_ = m_.points;
    math_.CurveError = 0;
    return true;
}

bool WriteAll::chooseHardware() {
    if (!page_.type) {
        message(u"Přebuzen vstup"_s);
        return false;
    }
    const model::InputTypeInfo& t = *page_.type;
    const bool fromFile = page_.lin == Lin::FromFile;
    const long double begin = rec_.RangeBegin;
    const long double end = rec_.RangeEnd;
    const long double larger = std::max(begin, end);
    const long double d = rec_.DividerRatio;
    const long double r = rec_.SenseResistance;

    rec_.InputType = t.code;
    rec_.FaultCurrent = model::CodeOf(model::FaultCurrentTexts(), utf8(page_.chybproud));
    rec_.Wiring = t.connection == model::Connection::Hidden
                      ? 0
                      : model::CodeOf(model::WiringTexts(), utf8(page_.pripCidl));
    rec_.SensorCurve = t.sensorCurve;
    rec_.DisplayCurve = fromFile ? kFileLine : t.sensorCurve;
    math_.LinSensor = rec_.SensorCurve;
    const auto f = [this](long double x) { return math_.SignalAt(rec_.DisplayCurve, x); };
    // The largest absolute signal of a voltage-like input: `scale` turns a range end into volts.
    const auto largestVolts = [&](auto scale) {
        if (fromFile)
            return std::max(std::fabs(f(scale(begin))), std::fabs(f(scale(end))));
        return scale(std::max(std::fabs(begin), std::fabs(end)));
    };
    const Ranges wired{kOhms, page_.fourWire ? std::span<const std::uint8_t>(kFourWire)
                                             : std::span<const std::uint8_t>(kTwoThreeWire)};
    const Ranges potentiometer{kOhms, page_.fourWire
                                          ? std::span<const std::uint8_t>(kFourWire)
                                          : std::span<const std::uint8_t>(kPotentiometer)};

    std::optional<std::uint8_t> code;
    switch (t.group) {
        case InputGroup::ResistanceThermometer:
        case InputGroup::Rheostat:
            SignalMax_ = page_.lin == Lin::BuiltIn || fromFile ? f(larger) : larger;
            code = Choose(SignalMax_, wired);
            break;
        case InputGroup::Potentiometer:
            if (page_.lin == Lin::BuiltIn || fromFile) {
                rec_.DisplayCurve = kFileLine;
                SignalMax_ = f(larger);
            } else {
                SignalMax_ = larger;
            }
            code = Choose(SignalMax_, potentiometer);
            break;
        case InputGroup::RelativePotentiometer:
            // Its signal is the whole potentiometer, whatever part of it the range covers.
            SignalMax_ = rec_.TotalResistance;
            code = Choose(SignalMax_, potentiometer);
            break;
        case InputGroup::Thermocouple:
            SignalMax_ = f(larger);
            code = Choose(SignalMax_, {kMillivolts, kThermocouple});
            break;
        case InputGroup::Voltage:
        case InputGroup::Current: {
            const bool voltage = t.group == InputGroup::Voltage;
            if (page_.lin == Lin::SquareRoot)
                rec_.DisplayCurve = kSquareRoot;
            SignalMax_ = voltage ? largestVolts([d](long double x) { return x / d; })
                                 : largestVolts([r](long double x) { return x * r / 1000; });
            code = voltage ? Choose(SignalMax_, {kVolts, kVoltage})
                           : Choose(SignalMax_, {kMillivolts, std::span(kVoltage).first(4)});
            if (page_.lin == Lin::SquareRoot)
                math_.LinSensor = rec_.DisplayCurve;
            break;
        }
        case InputGroup::ResistorDifference:
            SignalMax_ = rec_.TotalResistance;
            code = Choose(SignalMax_, {kOhms, kResistorPair});
            break;
        case InputGroup::VoltageDifference:
            SignalMax_ = std::fabs(rec_.TotalResistance / d);
            code = Choose(SignalMax_, {kMillivolts, kDifference});
            break;
        case InputGroup::CurrentDifference:
            SignalMax_ = rec_.TotalResistance * r / 1000;
            code = Choose(SignalMax_, {kMillivolts, kDifference});
            break;
        case InputGroup::Unified:
            SignalMax_ = largestVolts([d](long double x) { return x / d; });
            code = kUnifiedCodes[t.code - kUnifiedVolts];
            break;
    }
    if (!code) {
        message(u"Přebuzen vstup"_s);
        return false;
    }
    // Refused before anything is sent: writing the block of another code would misconfigure the
    // input.
    const auto preset = model::HwPresetSelect(*code);
    if (!preset) {
        message(q(preset.message()));
        return false;
    }
    rec_.HwCode = *code;
    return true;
}

float WriteAll::ZPPrepoc(long double value) {
    // The argument is a single, as the transmitter holds the primary variable.
    return lin::ToSingle(math_.SignalAt(rec_.SensorCurve, lin::ToSingle(value)));
}

void WriteAll::setInternalRange(long double lo, long double hi, float begin, float end) {
    rec_.PvRangeLo = lin::ToSingle(lo);
    rec_.PvRangeHi = lin::ToSingle(hi);
    rec_.PvStep = lin::ToSingle(std::fabs(hi - lo) / 5);
    rec_.PvLimitLo = lin::ToSingle(lo - (hi - lo) / 20);
    rec_.PvLimitHi = lin::ToSingle(hi + (hi - lo) / 20);
    rec_.RangeBeginInt = begin;
    rec_.RangeEndInt = end;
    const long double b = begin;
    const long double e = end;
    rec_.OverdriveHi = e + (e - b) / 5;
    rec_.OverdriveLo = b - (e - b) / 5;
}

void WriteAll::zadHodPuvodni() {
    setInternalRange(math_.CurveRangeLo, math_.CurveRangeHi, lin::ToSingle(rec_.RangeBegin),
                     lin::ToSingle(rec_.RangeEnd));
}

void WriteAll::zadHodPrepoc() {
    const long double lo = ZPPrepoc(math_.CurveRangeLo);
    const long double hi = ZPPrepoc(math_.CurveRangeHi);
    setInternalRange(lo, hi, ZPPrepoc(rec_.RangeBegin), ZPPrepoc(rec_.RangeEnd));
    math_.CurveRangeLo = lo;
    math_.CurveRangeHi = hi;
}

void WriteAll::internalRange() {
    const model::InputTypeInfo& t = *page_.type;
    const bool linearized = page_.lin == Lin::BuiltIn || page_.lin == Lin::FromFile;
    int margin = 5;
    bool convert = true;
    switch (t.group) {
        case InputGroup::ResistanceThermometer:
            rec_.PvUnit = linearized ? model::kUnitDegC : model::kUnitOhm;
            linearized ? zadHodPuvodni() : zadHodPrepoc();
            break;
        case InputGroup::Thermocouple:
            rec_.PvUnit = linearized ? model::kUnitDegC : model::kUnitVolt;
            linearized ? zadHodPuvodni() : zadHodPrepoc();
            margin = linearized ? 10 : 5;
            break;
        default:
            if (page_.lin == Lin::FromFile || page_.lin == Lin::SquareRoot) {
                rec_.PvUnit = rec_.UnitCode;
                margin = 10;
            } else {
                rec_.PvUnit = t.unitCode;
                convert = false;
            }
            zadHodPuvodni();
            break;
    }
    const long double lo = std::min(math_.CurveRangeLo, math_.CurveRangeHi);
    const long double hi = std::max(math_.CurveRangeLo, math_.CurveRangeHi);
    const long double limitHi = hi + (hi - lo) / margin;
    const long double limitLo = lo - (hi - lo) / margin;
    rec_.InputLimitHi = convert ? ZPPrepoc(limitHi) : lin::ToSingle(limitHi);
    rec_.InputLimitLo = convert ? ZPPrepoc(limitLo) : lin::ToSingle(limitLo);
}

bool WriteAll::buildLinearization() {
    switch (page_.lin) {
        case Lin::BuiltIn:
            math_.LinSensor = rec_.SensorCurve;
            math_.DisplayCurve = rec_.SensorCurve;
            rec_.LinMode = 2;
            // The precise table exists for the built-in characteristics only.
            if (page_.precise && rec_.SensorCurve <= lin::kCurveNi1000)
                math_.BuildPreciseTable();
            else
                math_.BuildSplineTable();
            break;
        case Lin::FromFile:
            rec_.LinMode = 4;
            if (page_.polynomial) {
                math_.LinSensor = lin::kCurveFileLine;
                math_.DisplayCurve = lin::kCurveFileLine;
                math_.LinStep = std::fabs(rec_.RangeEnd - rec_.RangeBegin) / 100;
                const int setting = points_.PolyDegreeSetting;
                math_.PolyDegree = setting >= 3 && setting <= 8 ? setting : 6;
                math_.ShowFitDeviation = true;
                if (math_.FitPolynomial()) {
                    const auto plan = model::WritePolynomial(math_.UploadCoefficients());
                    if (!plan) {
                        message(q(plan.message()));
                        math_.CurveError = 1;
                    } else {
                        polynomial_ = *plan;
                    }
                }
            } else {
                // Fills the program's segment table directly; a table that cannot be built has
                // shown its message and leaves the table as it was.
                math_.BuildLineSegments(SegmentImage_);
            }
            break;
        case Lin::SquareRoot:
            rec_.LinMode = 3;
            break;
        case Lin::None:
            break;
    }
    return math_.CurveError != 1;
}

// What the write derived belongs to the program's record as well: the range read back after a
// calibration converts through these curves.
void WriteAll::publish() {
    model::TransmitterConfig& c = m_.config;
    c.InputType = rec_.InputType;
    c.FaultCurrent = rec_.FaultCurrent;
    c.HwCode = rec_.HwCode;
    c.Wiring = rec_.Wiring;
    c.SensorCurve = rec_.SensorCurve;
    c.DisplayCurve = rec_.DisplayCurve;
    c.LinMode = rec_.LinMode;
    c.PvUnit = rec_.PvUnit;
    c.PvRangeLo = rec_.PvRangeLo;
    c.PvRangeHi = rec_.PvRangeHi;
    c.PvStep = rec_.PvStep;
    c.RangeBeginInt = rec_.RangeBeginInt;
    c.RangeEndInt = rec_.RangeEndInt;
    c.OverdriveHi = rec_.OverdriveHi;
    c.OverdriveLo = rec_.OverdriveLo;
    c.PvLimitLo = rec_.PvLimitLo;
    c.PvLimitHi = rec_.PvLimitHi;
    c.InputLimitHi = rec_.InputLimitHi;
    c.InputLimitLo = rec_.InputLimitLo;
    m_.math().CurveRangeLo = math_.CurveRangeLo;
    m_.math().CurveRangeHi = math_.CurveRangeHi;
}

std::optional<float> WriteAll::gainSlot() const {
    switch (page_.type->group) {
        case InputGroup::Current:
            return lin::ToSingle(math_.CurveRangeHi / SignalMax_);
        case InputGroup::CurrentDifference:
            return lin::ToSingle(rec_.TotalResistance / SignalMax_);
        case InputGroup::RelativePotentiometer:
            return std::nullopt;  // keeps the preset's 1.0
        default:
            return lin::ToSingle(rec_.DividerRatio);
    }
}

Outcome WriteAll::writeConfiguration() {
    link::DeviceAccess& device = m_.device();
    const model::InputTypeInfo& t = *page_.type;
    const bool unified = t.group == InputGroup::Unified;
    const float begin = lin::ToSingle(rec_.RangeBegin);
    const float end = lin::ToSingle(rec_.RangeEnd);

    // The transmitter stops measuring until "Continue".
    sent(device.command("Stop"));
    if (!check())
        return Outcome::Stopped;

    // Mode flags; bits 2 and 3 mark an unlinearized unified-signal input.
    const auto flags = device.readBytes(map::kModeFlags.address, map::kModeFlags.length);
    if (!sent(flags) || !check())
        return Outcome::Stopped;
    const std::uint8_t read = flags->at(0);
    rec_.ModeFlags = unified && page_.lin == Lin::None
                         ? static_cast<std::uint8_t>(read | map::kModeFlagsUnifiedPlain)
                         : static_cast<std::uint8_t>(read & ~map::kModeFlagsUnifiedPlain);
    m_.config.ModeFlags = rec_.ModeFlags;
    send({map::kModeFlags.address, {rec_.ModeFlags}});
    if (!check())
        return Outcome::Stopped;

    // Output scaling from the factory constants.
    const auto constants = device.readBytes(model::ReadOutputCalibration::kRead.address,
                                            model::ReadOutputCalibration::kRead.length);
    if (!sent(constants) || !check())
        return Outcome::Stopped;
    const model::OutputCalibration calibration =
        model::ReadOutputCalibration::Decode(*constants, begin, end);
    for (std::string_view warning : calibration.warnings)
        message(q(warning));
    if (!calibration.scaling) {
        message(q(calibration.scaling.message()));
        return Outcome::Stopped;
    }
    sendAll(model::WriteOutputScaling(*calibration.scaling, begin, end));
    if (!check())
        return Outcome::Stopped;

    // Damping and its filter coefficient.
    send({map::kDamping.address, RealBytes({lin::ToSingle(rec_.Damping)})});
    progress_(8);
    send({map::kDampingCoefficient.address, RealBytes({page_.state.DampingCoefficient})});
    progress_(17);

    // The preset puts 1.0 into the gain slot; the divider or current ratio goes in after it.
    sendAll(model::HwPresetWrite(HwPreset_));
    if (!check())
        return Outcome::Stopped;
    progress_(25);
    if (const auto gain = gainSlot()) {
        send({map::kHwGain.address, RealBytes({*gain})});
        if (!check())
            return Outcome::Stopped;
    }

    // Input limits.
    if (unified) {
        send({map::kInputLimits.address, RealBytes({kUnifiedLimitHi, kUnifiedLimitLo})});
        send({map::kRangeSpanItems.address,
              RealBytes({begin, lin::ToSingle(rec_.RangeEnd - rec_.RangeBegin)})});
        if (t.code != kUnifiedMilliamps) {
            if (!check())
                return Outcome::Stopped;
            progress_(33);
        }
        rec_.DisplayDecimals = std::min(page_.state.BeginDecimals, page_.state.EndDecimals);
        m_.config.DisplayDecimals = rec_.DisplayDecimals;
        HwPreset_.HwBytesD[3] = rec_.DisplayDecimals;
        send({map::kDisplayDecimals.address, {rec_.DisplayDecimals}});
    } else {
        send({map::kInputLimits.address, RealBytes({rec_.InputLimitHi, rec_.InputLimitLo})});
    }
    if (page_.lin == Lin::FromFile)
        send({map::kInputLimits.address, RealBytes({rec_.InputLimitHi, rec_.InputLimitLo})});

    // The segment table or the polynomial.
    if (page_.lin == Lin::BuiltIn || page_.lin == Lin::SquareRoot) {
        if (const auto refused =
                model::PrepareSegmentImage(model::SplineSegmentsOf(math_), SegmentImage_))
            message(q(*refused));
        if (!writeSegmentImage())
            return Outcome::Stopped;
        progress_(42);
    } else if (page_.lin == Lin::FromFile) {
        math_.LinSensor = rec_.SensorCurve;
        // A polynomial cut short must not be followed by the kind that makes the transmitter
        // use it.
        if (page_.polynomial ? !sendAll(polynomial_) : !writeSegmentImage())
            return Outcome::Stopped;
        progress_(42);
    }

    // Which of the two the transmitter uses.
    if (page_.lin != Lin::SquareRoot) {
        const model::LinKind kind = page_.lin == Lin::None ? model::LinKind::None
                                    : page_.lin == Lin::FromFile && page_.polynomial
                                        ? model::LinKind::Polynomial
                                        : model::LinKind::SegmentTable;
        sendAll(model::WriteLinKind(kind));
        if (!check())
            return Outcome::Stopped;
        progress_(50);
    }

    // Cold-junction tables of a thermocouple.
    if (rec_.SensorCurve <= lin::kCurveL) {
        sendAll(model::WriteThermocoupleTables(utf8(page_.state.InputTypeText)));
        if (!check())
            return Outcome::Stopped;
        progress_(58);
    }

    // Output on a sensor fault, and the reversed range.
    sendAll(outputFlags_);
    if (!check())
        return Outcome::Stopped;
    progress_(67);

    // The configuration record.
    ZapisKonfigurace();
    if (!check())
        return Outcome::Stopped;
    progress_(75);

    // Range items.
    if (!unified) {
        m_.state.SignalLow = begin;
        m_.state.SignalHigh = end;
        send({map::kRangeItems.address, RealBytes({begin, end})});
        if (!check())
            return Outcome::Stopped;
    } else {
        const InputState& s = page_.state;
        send({map::kUnifiedScale.address, RealBytes({0.0f, 1.0f})});
        if (!check())
            return Outcome::Stopped;
        send({map::kUnifiedCoefficients.address, RealBytes({0.0f, 1.0f, 0.2f, 1.25f})});
        if (!check())
            return Outcome::Stopped;
        send({map::kUnifiedRangeItems.address,
              RealBytes({s.SignalLow, s.SignalHigh, s.SignalOffset, s.SignalSpan})});
        if (!check())
            return Outcome::Stopped;
    }
    m_.checks().PocatekExit();
    m_.checks().KonecExit();
    send({map::kOutputRange.address, RealBytes({begin, end})});
    if (!check())
        return Outcome::Stopped;

    // The correction at its own place.
    writeCorrection();
    m_.userNote().NoteProgress = false;
    if (!check())
        return Outcome::Stopped;
    progress_(83);

    // The transmitter takes the new configuration and measures again.
    sent(device.command("Reset"));
    if (!check())
        return Outcome::Stopped;
    progress_(92);
    sent(device.command("Continue"));
    if (!check())
        return Outcome::Stopped;
    progress_(100);
    MainForm& f = m_.form;
    f.ButMeasPV.enabled = true;
    f.Start_Mer.enabled = true;
    f.Stop_mer.enabled = true;
    return Outcome::Completed;
}

bool WriteAll::writeSegmentImage() {
    for (const model::EepromWrite& w : model::WriteSegmentImage(SegmentImage_)) {
        send(w);
        if (!check())
            return false;
    }
    return true;
}

bool WriteAll::ZapisKonfigurace() {
    const bool current = model::IsCurrentType(page_.type);
    std::vector<std::uint8_t> input{rec_.InputType, rec_.FaultCurrent, rec_.HwCode, rec_.Wiring};
    const auto sense = RealBytes({current ? lin::ToSingle(rec_.SenseResistance) : 0.0f});
    input.insert(input.end(), sense.begin(), sense.end());
    std::vector<std::uint8_t> pvRange{rec_.PvUnit};
    const auto reals = RealBytes({rec_.PvRangeLo, rec_.PvRangeHi, rec_.PvStep});
    pvRange.insert(pvRange.end(), reals.begin(), reals.end());

    return sendAll({
        {map::kPvCorrection.address, RealBytes({lin::ToSingle(rec_.PvCorrection)})},
        {map::kInputRecord.address, input},
        {map::kOverdriveLimits.address,
         RealBytes({lin::ToSingle(rec_.OverdriveHi), lin::ToSingle(rec_.OverdriveLo)})},
        {map::kPvRange.address, pvRange},
        {map::kPvLimits.address, RealBytes({rec_.PvLimitLo, rec_.PvLimitHi})},
        {map::kPvUnitAgain.address, {rec_.PvUnit}},
        {map::kDamping.address, RealBytes({lin::ToSingle(rec_.Damping)})},
        {map::kCurveCodes.address,
         {rec_.UnitCode, rec_.SensorCurve, rec_.DisplayCurve, rec_.LinMode}},
    });
}

// The steps of the correction's own save, on the text the page held when the write began.
void WriteAll::writeCorrection() {
    Edit& edit = m_.form.korekcePV;
    if (page_.korekcePV.isEmpty()) {
        message(u"Je nutno vyplnit hodnotu korekce PV."_s);
        m_.prompts().focus(edit.name);
        return;
    }
    const DecimalSeparator sep = m_.settings().decimalSeparator;
    const QString text = UpravaFormatu(page_.korekcePV, sep);
    const auto typed = ParseReal(text, sep);
    const bool accepted = typed && std::fabs(*typed) <= FLT_MAX;
    long double correction = rec_.PvCorrection;  // the value last accepted
    if (accepted)
        correction = *typed;
    else
        message(u"Špatně zadaná hodnota korekce měřeného odporu."_s);
    // The exit check's effect on the box, unless the user has typed there since.
    if (edit.text() == page_.korekcePV) {
        edit.setText(accepted ? text : QString());
        if (accepted)
            m_.config.PvCorrection = correction;
    }
    send({map::kPvCorrectionOwn.address, RealBytes({lin::ToSingle(correction)})});
}

}  // namespace veld::config
