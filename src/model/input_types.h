#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>

// Facts of the 24 input types, one table row each. Texts are UTF-8 and are the exact texts the
// window shows and the files store.
namespace veld::model {

enum class InputGroup : std::uint8_t {
    ResistanceThermometer,
    Rheostat,
    Potentiometer,
    RelativePotentiometer,
    Thermocouple,
    Voltage,
    Current,
    ResistorDifference,
    VoltageDifference,
    CurrentDifference,
    Unified,  // "0...10 V-vstup U/I", "0...20 mA-vstup U/I", "4...20 mA-vstup U/I"
};

// The items `PripCidl` offers; hidden types have no connection.
enum class Connection : std::uint8_t {
    Hidden,
    TwoThreeFour,  // "dvouvodičově", "třívodičově", "čtyřvodičově"
    ThreeFour,  // "třívodičově", "čtyřvodičově": a potentiometer needs its wiper and both ends
    KeepItems,  // shown with the items of the type chosen before
};

// The items of `Linearizace` and the preset text.
enum class LinChoice : std::uint8_t {
    Full,   // "linearizováno", "nelinearizováno", "ze souboru"; preset "linearizováno"
    Plain,  // "nelinearizováno", "ze souboru"; preset "nelinearizováno"
    Keep,   // the items stay as they were, the text is emptied
};

// How the allowed interval and minimum span of the range are found.
enum class LimitRule : std::uint8_t {
    Fixed,    // the numbers of the row
    Voltage,  // -0.1 D .. 1.0 D; span 0.003 D up to a span of 0.016 D, above it 0.02 D
    Current,  // -100/R .. 100/R mA, span 20/R (R the sense resistor in Ohm)
    None,     // unified signals: no limits, no minimum span
};

struct RangeLimits {
    LimitRule rule = LimitRule::None;
    long double low = 0;
    long double high = 0;
    long double minSpan = 0;
};

// The fixed electrical scale of a unified-signal type and its range texts.
struct UnifiedSignal {
    std::string_view beginText;
    std::string_view endText;
    float low;
    float high;
    float offset;
    float span;
};

struct InputTypeInfo {
    std::uint8_t code;  // byte 400 of the transmitter
    std::string_view text;
    InputGroup group;
    bool inList;  // an item of `Vstup`; the others arrive from a transmitter or a file
    Connection connection;
    LinChoice lin;
    std::uint8_t unitCode;
    std::string_view unitText;
    bool pvCorrectionGroup;
    bool dividerGroup;
    bool senseResistorGroup;
    // Caption of the row of `CelkovyOdpor`; empty when the type has none. The completeness
    // check asks for the value of every type that has it.
    std::string_view totalValueCaption;
    std::uint8_t sensorCurve;  // characteristic of the sensor, 16 for linear inputs
    RangeLimits limits;
    std::optional<UnifiedSignal> unified;
};

inline constexpr std::string_view kPotentiometerTotalCaption = "Maximální odpor potenciometru";

// All 24 types in code order.
std::span<const InputTypeInfo> InputTypes();
// nullptr for a text that is no input type (exact, case-sensitive).
const InputTypeInfo* FindInputType(std::string_view text);
const InputTypeInfo* FindInputTypeByCode(int code);
// Codes of the items of `Vstup`, in list order.
std::span<const std::uint8_t> InputListCodes();

// What the type's limit rule allows a range: the interval both ends must lie in, and the least
// span (which for a voltage depends on the span entered). Either is missing when the rule sets
// none or lacks the divider ratio or sense resistance (Ohm) it is stated in.
struct AllowedRange {
    std::optional<std::pair<long double, long double>> interval;
    std::optional<long double> minSpan;
};
AllowedRange AllowedRangeOf(const InputTypeInfo& type, long double divider,
                            long double senseResistance, long double span);

inline bool IsUnified(const InputTypeInfo* t) {
    return t && t->group == InputGroup::Unified;
}
inline bool IsCurrentType(const InputTypeInfo* t) {
    return t && (t->group == InputGroup::Current || t->group == InputGroup::CurrentDifference);
}
inline bool IsVoltageType(const InputTypeInfo* t) {
    return t && (t->group == InputGroup::Voltage || t->group == InputGroup::VoltageDifference);
}

}  // namespace veld::model
