#include "model/input_types.h"

#include <array>

namespace veld::model {
namespace {

using G = InputGroup;
using C = Connection;
using L = LinChoice;

constexpr RangeLimits fixed(long double low, long double high, long double minSpan) {
    return {LimitRule::Fixed, low, high, minSpan};
}
constexpr RangeLimits kVoltage{LimitRule::Voltage, 0, 0, 0};
constexpr RangeLimits kCurrent{LimitRule::Current, 0, 0, 0};
constexpr RangeLimits kNoLimits{LimitRule::None, 0, 0, 0};

constexpr RangeLimits kPt = fixed(-200, 850, 25);
constexpr RangeLimits kNi = fixed(-70, 250, 25);
constexpr RangeLimits kOhm = fixed(0, 4000, 20);

// After the unit: the PV correction, divider and sense resistor flags, the total-value caption.
// clang-format off
const std::array<InputTypeInfo, 24> kTypes{{
    {1, "odporový teploměr Pt100", G::ResistanceThermometer, true, C::TwoThreeFour, L::Full, 32, "°C", true, false, false, {}, 9, kPt, {}},
    {2, "odporový teploměr Pt1000", G::ResistanceThermometer, true, C::TwoThreeFour, L::Full, 32, "°C", true, false, false, {}, 10, kPt, {}},
    {3, "odporový teploměr Ni100", G::ResistanceThermometer, true, C::TwoThreeFour, L::Full, 32, "°C", true, false, false, {}, 11, kNi, {}},
    {4, "odporový teploměr Ni1000", G::ResistanceThermometer, true, C::TwoThreeFour, L::Full, 32, "°C", true, false, false, {}, 12, kNi, {}},
    {5, "reostat", G::Rheostat, true, C::TwoThreeFour, L::Plain, 37, "Ohm", false, false, false, {}, 16, kOhm, {}},
    {6, "potenciometr", G::Potentiometer, true, C::ThreeFour, L::Plain, 37, "Ohm", false, false, false, {}, 16, kOhm, {}},
    {7, "potenciometr relativní", G::RelativePotentiometer, false, C::KeepItems, L::Plain, 57, "%", false, false, false, kPotentiometerTotalCaption, 16, fixed(0, 100, 5), {}},
    {8, "termočlánek B", G::Thermocouple, true, C::Hidden, L::Full, 32, "°C", false, false, false, {}, 7, fixed(100, 1820, 500), {}},
    {9, "termočlánek E", G::Thermocouple, true, C::Hidden, L::Full, 32, "°C", false, false, false, {}, 4, fixed(-200, 1000, 100), {}},
    {10, "termočlánek J", G::Thermocouple, true, C::Hidden, L::Full, 32, "°C", false, false, false, {}, 3, fixed(-100, 1200, 100), {}},
    {11, "termočlánek K", G::Thermocouple, true, C::Hidden, L::Full, 32, "°C", false, false, false, {}, 1, fixed(-200, 1370, 100), {}},
    {12, "termočlánek L", G::Thermocouple, true, C::Hidden, L::Full, 32, "°C", false, false, false, {}, 8, fixed(-200, 900, 100), {}},
    {13, "termočlánek N", G::Thermocouple, true, C::Hidden, L::Full, 32, "°C", false, false, false, {}, 0, fixed(-200, 1300, 200), {}},
    {14, "termočlánek R", G::Thermocouple, true, C::Hidden, L::Full, 32, "°C", false, false, false, {}, 5, fixed(-50, 1760, 500), {}},
    {15, "termočlánek S", G::Thermocouple, true, C::Hidden, L::Full, 32, "°C", false, false, false, {}, 6, fixed(-50, 1760, 500), {}},
    {16, "termočlánek T", G::Thermocouple, true, C::Hidden, L::Full, 32, "°C", false, false, false, {}, 2, fixed(-200, 400, 100), {}},
    {17, "napětí", G::Voltage, true, C::Hidden, L::Plain, 58, "V", false, true, false, {}, 16, kVoltage, {}},
    {18, "proud", G::Current, false, C::Hidden, L::Plain, 39, "mA", false, false, true, {}, 16, kCurrent, {}},
    {19, "rozdíl dvou rezistorů", G::ResistorDifference, false, C::Hidden, L::Keep, 37, "Ohm", false, false, false, "max. hodnota součtu obou rezistorů", 16, fixed(-4000, 4000, 20), {}},
    {20, "rozdíl dvou napětí", G::VoltageDifference, false, C::Hidden, L::Keep, 58, "V", false, true, false, "max. hodnota napětí", 16, kVoltage, {}},
    {21, "rozdíl dvou proudů", G::CurrentDifference, false, C::Hidden, L::Plain, 39, "mA", false, false, true, "maximální hodnota proudu", 16, kCurrent, {}},
    {22, "0...10 V-vstup U/I", G::Unified, true, C::Hidden, L::Plain, 58, "V", false, false, false, {}, 16, kNoLimits, UnifiedSignal{"0", "10", 0, 10, 0, 10}},
    {23, "0...20 mA-vstup U/I", G::Unified, true, C::Hidden, L::Plain, 39, "mA", false, false, false, {}, 16, kNoLimits, UnifiedSignal{"0", "20", 0, 20, 0, 20}},
    {24, "4...20 mA-vstup U/I", G::Unified, true, C::Hidden, L::Plain, 39, "mA", false, false, false, {}, 16, kNoLimits, UnifiedSignal{"4", "20", 4, 20, 4, 16}},
}};
// clang-format on

constexpr std::array<std::uint8_t, 19> kListCodes{1,  2,  3,  4,  5,  6,  8,  9,  10, 11,
                                                  13, 12, 14, 15, 16, 22, 23, 24, 17};

}  // namespace

std::span<const InputTypeInfo> InputTypes() {
    return kTypes;
}

const InputTypeInfo* FindInputType(std::string_view text) {
    for (const auto& t : kTypes)
        if (t.text == text)
            return &t;
    return nullptr;
}

const InputTypeInfo* FindInputTypeByCode(int code) {
    if (code < 1 || code > static_cast<int>(kTypes.size()))
        return nullptr;
    return &kTypes[static_cast<std::size_t>(code - 1)];
}

std::span<const std::uint8_t> InputListCodes() {
    return kListCodes;
}

AllowedRange AllowedRangeOf(const InputTypeInfo& type, long double divider,
                            long double senseResistance, long double span) {
    const long double d = divider;
    const long double r = senseResistance;
    switch (type.limits.rule) {
        case LimitRule::None:
            return {};
        case LimitRule::Fixed:
            return {std::pair(type.limits.low, type.limits.high), type.limits.minSpan};
        case LimitRule::Voltage:
            // D/10 rather than 0.1*D: a typed "-0.3" for D = 3 then equals the limit exactly.
            if (d == 0)
                return {std::pair(-d / 10, d), std::nullopt};
            return {std::pair(-d / 10, d), span / d <= 0.016L ? 3 * d / 1000 : d / 50};
        case LimitRule::Current:
            if (r == 0)
                return {};
            return {std::pair(-100 / r, 100 / r), 20 / r};  // +-0.1 V across R, in mA
    }
    return {};
}

}  // namespace veld::model
