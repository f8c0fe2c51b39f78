#include "config/write_planner.h"

#include "config/calibration.h"
#include "config/text_util.h"
#include "lin/single.h"
#include "model/code_tables.h"
#include "model/eeprom_map.h"
#include "model/hw_presets.h"
#include "model/input_types.h"
#include "model/record_codec.h"
#include "model/uploads.h"
#include "model/write_plan.h"

#include <algorithm>
#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace veld::config {
namespace {

namespace map = model::eeprom;
using model::InputGroup;
using model::RealBytes;
using Kind = WriteStep::Kind;

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

enum class Lin { BuiltIn, None, FromFile, SquareRoot };

WriteStep Step(Kind kind, int value = 0) {
    WriteStep s;
    s.kind = kind;
    s.value = value;
    return s;
}

WriteStep Text(Kind kind, std::string_view text) {
    WriteStep s = Step(kind);
    s.text = q(text);
    return s;
}

WriteStep Text(Kind kind, const QString& text) {
    WriteStep s = Step(kind);
    s.text = text;
    return s;
}

WriteStep Write(const model::EepromWrite& w, bool stopOnFailure) {
    WriteStep s = Step(Kind::Write);
    s.address = w.address;
    s.data = w.bytes;
    s.pauseAfter = w.pauseAfter;
    s.stopOnFailure = stopOnFailure;
    return s;
}

// One write of the planner: it works on copies and leaves its steps in `steps`.
class Planning {
public:
    Planning(const WriteSnapshot& page, lin::LinMath& math, lin::SegmentImage& image,
             WriteAllPlan& plan)
        : page_(page), rec_(plan.record), math_(math), image_(image), plan_(plan) {}

    void run();

private:
    std::vector<WriteStep>& steps() { return plan_.steps; }
    void add(WriteStep step) { steps().push_back(std::move(step)); }
    void message(std::string_view text) { add(Text(Kind::Message, text)); }
    void message(const QString& text) { add(Text(Kind::Message, text)); }
    void check() { add(Step(Kind::Check)); }
    void progress(int position) { add(Step(Kind::Progress, position)); }
    // A failure of the write stops the sequence at the next check.
    void send(const model::EepromWrite& w) { add(Write(w, false)); }
    // Each request only while the ones before succeeded.
    void sendAll(const model::WritePlan& plan) {
        for (const model::EepromWrite& w : plan)
            add(Write(w, true));
    }
    void read(model::eeprom::Item item) {
        WriteStep s = Step(Kind::Read);
        s.address = item.address;
        s.length = static_cast<std::uint8_t>(item.length);
        s.stopOnFailure = true;
        add(std::move(s));
    }
    void command(std::string_view name) {
        WriteStep s = Step(Kind::Command);
        s.command = name;
        add(std::move(s));
    }
    // The tables as they are now stay for the next write once the sender gets here.
    void keep() {
        add(Step(Kind::Keep, static_cast<int>(plan_.tables.size())));
        plan_.tables.push_back({math_, image_});
    }
    void stop() {
        keep();
        add(Step(Kind::Stop));
    }

    bool takeLinearization();
    bool chooseHardware();
    void internalRange();
    void zadHodPuvodni();
    void zadHodPrepoc();
    void setInternalRange(long double lo, long double hi, float begin, float end);
    float ZPPrepoc(long double value);
    bool buildLinearization();
    void writeConfiguration();
    void writeSegmentImage();
    void ZapisKonfigurace();
    void writeCorrection();
    std::optional<float> gainSlot() const;

    const WriteSnapshot& page_;
    model::TransmitterConfig& rec_;
    lin::LinMath& math_;
    lin::SegmentImage& image_;
    WriteAllPlan& plan_;
    const model::InputTypeInfo* type_ = nullptr;
    Lin lin_ = Lin::None;
    long double SignalMax_ = 0;
    bool RangeReversed_ = false;
    model::WritePlan outputFlags_;
    model::WritePlan polynomial_;
    model::HwPreset preset_{};
};

void Planning::run() {
    if (!takeLinearization())
        return add(Step(Kind::Stop));
    type_ = model::FindInputType(utf8(page_.inputType));
    math_.CurveError = 0;
    RangeReversed_ = !(rec_.RangeBegin < rec_.RangeEnd);
    math_.CurveRangeLo = std::min(rec_.RangeBegin, rec_.RangeEnd);
    math_.CurveRangeHi = std::max(rec_.RangeBegin, rec_.RangeEnd);

    // Everything below is derived from the copy of the page: the hardware, the internal range
    // and limits, the output flags.
    if (!chooseHardware())
        return stop();
    internalRange();
    const auto flags = model::WriteOutputFlags(rec_.FaultCurrent, RangeReversed_);
    if (!flags) {
        message(flags.message());
        return stop();
    }
    outputFlags_ = *flags;

    // The firmware number, then the linearization.
    if (lin_ == Lin::None) {
        rec_.SensorCurve = kIdentity;
        rec_.LinMode = 0;
    }
    keep();
    read(map::kFirmware);
    add(Step(Kind::Firmware));
    if (!buildLinearization())
        return stop();
    keep();
    plan_.curveRangeLo = math_.CurveRangeLo;
    plan_.curveRangeHi = math_.CurveRangeHi;
    add(Step(Kind::Publish));

    // The user's word and the device type.
    add(Text(Kind::Question, kAskWrite));
    progress(0);
    read(map::kSignature);
    add(Step(Kind::Signature));
    writeConfiguration();
}

bool Planning::takeLinearization() {
    const QString& lin = page_.linearization;
    if (lin == q(model::kLinBuiltIn)) {
        lin_ = Lin::BuiltIn;
    } else if (lin == q(model::kLinNone)) {
        lin_ = Lin::None;
    } else if (lin == q(model::kLinFromFile)) {
        lin_ = Lin::FromFile;
    } else if (lin == q(model::kLinSquareRoot)) {
        lin_ = Lin::SquareRoot;
    } else {
        message(kMsgBadLinearization);
        return false;
    }
    return true;
}

bool Planning::chooseHardware() {
    if (!type_) {
        message(kMsgOverdriven);
        return false;
    }
    const model::InputTypeInfo& t = *type_;
    const bool fromFile = lin_ == Lin::FromFile;
    const bool fourWire = page_.wiring == u"čtyřvodičově"_s;
    const long double begin = rec_.RangeBegin;
    const long double end = rec_.RangeEnd;
    const long double larger = std::max(begin, end);
    const long double d = rec_.DividerRatio;
    const long double r = rec_.SenseResistance;

    rec_.InputType = t.code;
    rec_.FaultCurrent = model::CodeOf(model::FaultCurrentTexts(), utf8(page_.faultCurrent));
    rec_.Wiring = t.connection == model::Connection::Hidden
                      ? 0
                      : model::CodeOf(model::WiringTexts(), utf8(page_.wiring));
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
    const Ranges wired{kOhms, fourWire ? std::span<const std::uint8_t>(kFourWire)
                                       : std::span<const std::uint8_t>(kTwoThreeWire)};
    const Ranges potentiometer{kOhms, fourWire ? std::span<const std::uint8_t>(kFourWire)
                                               : std::span<const std::uint8_t>(kPotentiometer)};

    std::optional<std::uint8_t> code;
    switch (t.group) {
        case InputGroup::ResistanceThermometer:
        case InputGroup::Rheostat:
            SignalMax_ = lin_ == Lin::BuiltIn || fromFile ? f(larger) : larger;
            code = Choose(SignalMax_, wired);
            break;
        case InputGroup::Potentiometer:
            if (lin_ == Lin::BuiltIn || fromFile) {
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
            if (lin_ == Lin::SquareRoot)
                rec_.DisplayCurve = kSquareRoot;
            SignalMax_ = voltage ? largestVolts([d](long double x) { return x / d; })
                                 : largestVolts([r](long double x) { return x * r / 1000; });
            code = voltage ? Choose(SignalMax_, {kVolts, kVoltage})
                           : Choose(SignalMax_, {kMillivolts, std::span(kVoltage).first(4)});
            if (lin_ == Lin::SquareRoot)
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
        message(kMsgOverdriven);
        return false;
    }
    // Refused before anything is sent: writing the block of another code would misconfigure the
    // input.
    const auto preset = model::HwPresetSelect(*code);
    if (!preset) {
        message(preset.message());
        return false;
    }
    preset_ = *preset;
    rec_.HwCode = *code;
    return true;
}

float Planning::ZPPrepoc(long double value) {
    // The argument is a single, as the transmitter holds the primary variable.
    return lin::ToSingle(math_.SignalAt(rec_.SensorCurve, lin::ToSingle(value)));
}

void Planning::setInternalRange(long double lo, long double hi, float begin, float end) {
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

void Planning::zadHodPuvodni() {
    setInternalRange(math_.CurveRangeLo, math_.CurveRangeHi, lin::ToSingle(rec_.RangeBegin),
                     lin::ToSingle(rec_.RangeEnd));
}

void Planning::zadHodPrepoc() {
    const long double lo = ZPPrepoc(math_.CurveRangeLo);
    const long double hi = ZPPrepoc(math_.CurveRangeHi);
    setInternalRange(lo, hi, ZPPrepoc(rec_.RangeBegin), ZPPrepoc(rec_.RangeEnd));
    math_.CurveRangeLo = lo;
    math_.CurveRangeHi = hi;
}

void Planning::internalRange() {
    const model::InputTypeInfo& t = *type_;
    const bool linearized = lin_ == Lin::BuiltIn || lin_ == Lin::FromFile;
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
            if (lin_ == Lin::FromFile || lin_ == Lin::SquareRoot) {
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

bool Planning::buildLinearization() {
    math_.MatchedPlatinum.reset();
    switch (lin_) {
        case Lin::BuiltIn:
            math_.LinSensor = rec_.SensorCurve;
            math_.DisplayCurve = rec_.SensorCurve;
            rec_.LinMode = 2;
            math_.MatchedPlatinum = page_.platinum;
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
                const int setting = page_.points.PolyDegreeSetting;
                math_.PolyDegree = setting >= 3 && setting <= 8 ? setting : 6;
                math_.ShowFitDeviation = true;
                if (math_.FitPolynomial()) {
                    const auto plan = model::WritePolynomial(math_.UploadCoefficients());
                    if (!plan) {
                        message(plan.message());
                        math_.CurveError = 1;
                    } else {
                        polynomial_ = *plan;
                    }
                }
            } else {
                // A table that cannot be built has shown its message and leaves the table as it
                // was.
                math_.BuildLineSegments(image_);
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

std::optional<float> Planning::gainSlot() const {
    switch (type_->group) {
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

void Planning::writeConfiguration() {
    const model::InputTypeInfo& t = *type_;
    const bool unified = t.group == InputGroup::Unified;
    const float begin = lin::ToSingle(rec_.RangeBegin);
    const float end = lin::ToSingle(rec_.RangeEnd);

    // The transmitter stops measuring until "Continue".
    command("Stop");
    check();

    // Mode flags; bits 2 and 3 mark an unlinearized unified-signal input.
    read(map::kModeFlags);
    add(Step(Kind::ModeFlags, unified && lin_ == Lin::None ? 1 : 0));
    check();

    // Output scaling from the factory constants.
    read(model::ReadOutputCalibration::kRead);
    add(Step(Kind::OutputScaling));
    check();

    // Damping and its filter coefficient.
    send({map::kDamping.address, RealBytes({lin::ToSingle(rec_.Damping)})});
    progress(8);
    send({map::kDampingCoefficient.address, RealBytes({page_.state.DampingCoefficient})});
    progress(17);

    // The preset puts 1.0 into the gain slot; the divider or current ratio goes in after it.
    sendAll(model::HwPresetWrite(preset_));
    check();
    progress(25);
    if (const auto gain = gainSlot()) {
        send({map::kHwGain.address, RealBytes({*gain})});
        check();
    }

    // Input limits.
    if (unified) {
        send({map::kInputLimits.address, RealBytes({kUnifiedLimitHi, kUnifiedLimitLo})});
        send({map::kRangeSpanItems.address,
              RealBytes({begin, lin::ToSingle(rec_.RangeEnd - rec_.RangeBegin)})});
        if (t.code != kUnifiedMilliamps) {
            check();
            progress(33);
        }
        rec_.DisplayDecimals = std::min(page_.state.BeginDecimals, page_.state.EndDecimals);
        add(Step(Kind::DisplayDecimals, rec_.DisplayDecimals));
        send({map::kDisplayDecimals.address, {rec_.DisplayDecimals}});
    } else {
        send({map::kInputLimits.address, RealBytes({rec_.InputLimitHi, rec_.InputLimitLo})});
    }
    if (lin_ == Lin::FromFile)
        send({map::kInputLimits.address, RealBytes({rec_.InputLimitHi, rec_.InputLimitLo})});

    // The segment table or the polynomial.
    if (lin_ == Lin::BuiltIn || lin_ == Lin::SquareRoot) {
        if (const auto refused = model::PrepareSegmentImage(model::SplineSegmentsOf(math_), image_))
            message(*refused);
        keep();
        writeSegmentImage();
        progress(42);
    } else if (lin_ == Lin::FromFile) {
        math_.LinSensor = rec_.SensorCurve;
        // A polynomial cut short must not be followed by the kind that makes the transmitter
        // use it.
        if (page_.polynomial)
            sendAll(polynomial_);
        else
            writeSegmentImage();
        progress(42);
    }

    // Which of the two the transmitter uses.
    if (lin_ != Lin::SquareRoot) {
        const model::LinKind kind = lin_ == Lin::None ? model::LinKind::None
                                    : lin_ == Lin::FromFile && page_.polynomial
                                        ? model::LinKind::Polynomial
                                        : model::LinKind::SegmentTable;
        sendAll(model::WriteLinKind(kind));
        check();
        progress(50);
    }

    // Cold-junction tables of a thermocouple.
    if (rec_.SensorCurve <= lin::kCurveL) {
        sendAll(model::WriteThermocoupleTables(utf8(page_.state.InputTypeText)));
        check();
        progress(58);
    }

    // Output on a sensor fault, and the reversed range.
    sendAll(outputFlags_);
    check();
    progress(67);

    // The configuration record.
    ZapisKonfigurace();
    check();
    progress(75);

    // Range items.
    if (!unified) {
        add(Step(Kind::SignalRange));
        send({map::kRangeItems.address, RealBytes({begin, end})});
        check();
    } else {
        const InputState& s = page_.state;
        send({map::kUnifiedScale.address, RealBytes({0.0f, 1.0f})});
        check();
        send({map::kUnifiedCoefficients.address, RealBytes({0.0f, 1.0f, 0.2f, 1.25f})});
        check();
        send({map::kUnifiedRangeItems.address,
              RealBytes({s.SignalLow, s.SignalHigh, s.SignalOffset, s.SignalSpan})});
        check();
    }
    add(Step(Kind::RangeExits));
    send({map::kOutputRange.address, RealBytes({begin, end})});
    check();

    // The correction at its own place.
    writeCorrection();
    add(Step(Kind::NoteDone));
    check();
    progress(83);

    // The transmitter takes the new configuration and measures again.
    command("Reset");
    check();
    progress(92);
    command("Continue");
    check();
    progress(100);
    add(Step(Kind::Completed));
}

void Planning::writeSegmentImage() {
    for (const model::EepromWrite& w : model::WriteSegmentImage(image_)) {
        send(w);
        check();
    }
}

void Planning::ZapisKonfigurace() {
    const bool current = model::IsCurrentType(type_);
    std::vector<std::uint8_t> input{rec_.InputType, rec_.FaultCurrent, rec_.HwCode, rec_.Wiring};
    const auto sense = RealBytes({current ? lin::ToSingle(rec_.SenseResistance) : 0.0f});
    input.insert(input.end(), sense.begin(), sense.end());
    std::vector<std::uint8_t> pvRange{rec_.PvUnit};
    const auto reals = RealBytes({rec_.PvRangeLo, rec_.PvRangeHi, rec_.PvStep});
    pvRange.insert(pvRange.end(), reals.begin(), reals.end());

    sendAll({
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

// The correction button's own save, on the text the page held when the write began; `data` is
// what it sends (nothing for an empty box).
void Planning::writeCorrection() {
    WriteStep s = Step(Kind::Correction);
    s.text = page_.correction;
    s.address = map::kPvCorrectionOwn.address;
    if (!s.text.isEmpty()) {
        const auto typed = Calibration::CorrectionOf(s.text, page_.separator);
        s.data = RealBytes({lin::ToSingle(typed.value_or(rec_.PvCorrection))});
    }
    add(std::move(s));
}

}  // namespace

void WritePlanner::Sink::message(const std::string& text) {
    if (steps)
        steps->push_back(Text(Kind::Message, text));
}

WritePlanner::WritePlanner() {
    math_.emplace(sink_, points_);
}

WriteAllPlan WritePlanner::plan(const WriteSnapshot& page) {
    WriteAllPlan plan;
    plan.record = page.record;
    points_ = page.points;
    lin::LinMath math(*math_);
    lin::SegmentImage image = image_;
    sink_.steps = &plan.steps;
    Planning(page, math, image, plan).run();
    sink_.steps = nullptr;
    return plan;
}

void WritePlanner::keep(const WriteTables& tables) {
    math_.emplace(tables.math);
    image_ = tables.image;
}

std::vector<WriteStep> ResolveStep(const WriteAllPlan& plan, const WriteStep& step,
                                   std::span<const std::uint8_t> reply) {
    std::vector<WriteStep> steps;
    switch (step.kind) {
        case Kind::Signature:
            if (!model::IsVeldSignature(reply)) {
                steps.push_back(Text(Kind::Message, kMsgNotVeld));
                steps.push_back(Step(Kind::Stop));
            }
            break;
        case Kind::ModeFlags: {
            const std::uint8_t read = reply.empty() ? 0 : reply[0];
            const auto flags = step.value
                                   ? static_cast<std::uint8_t>(read | map::kModeFlagsUnifiedPlain)
                                   : static_cast<std::uint8_t>(read & ~map::kModeFlagsUnifiedPlain);
            steps.push_back(Step(Kind::ModeFlagsKnown, flags));
            steps.push_back(Write({map::kModeFlags.address, {flags}}, false));
            break;
        }
        case Kind::OutputScaling: {
            const float begin = lin::ToSingle(plan.record.RangeBegin);
            const float end = lin::ToSingle(plan.record.RangeEnd);
            const model::OutputCalibration calibration =
                model::ReadOutputCalibration::Decode(reply, begin, end);
            for (std::string_view warning : calibration.warnings)
                steps.push_back(Text(Kind::Message, warning));
            if (!calibration.scaling) {
                steps.push_back(Text(Kind::Message, calibration.scaling.message()));
                steps.push_back(Step(Kind::Stop));
                break;
            }
            for (const model::EepromWrite& w :
                 model::WriteOutputScaling(*calibration.scaling, begin, end))
                steps.push_back(Write(w, true));
            break;
        }
        default:
            steps.push_back(step);
            break;
    }
    return steps;
}

}  // namespace veld::config
