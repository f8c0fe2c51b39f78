#include "model/code_tables.h"

#include <array>

namespace veld::model {
namespace {

constexpr std::array<CodeText, 3> kWiring{
    {{2, "dvouvodičově"}, {3, "třívodičově"}, {4, "čtyřvodičově"}}};
constexpr std::array<CodeText, 3> kFault{{{1, "nadproud"}, {2, "podproud"}, {3, "vyřazen"}}};
constexpr std::array<CodeText, 5> kLin{
    {{0, kLinNone}, {1, kLinBuiltIn}, {2, kLinBuiltIn}, {3, kLinSquareRoot}, {4, kLinFromFile}}};
constexpr std::array<CodeText, 6> kUnits{{{kUnitDegC, "°C"},
                                          {kUnitOhm, "Ohm"},
                                          {kUnitVolt, "V"},
                                          {kUnitMilliAmp, "mA"},
                                          {kUnitPercent, "%"},
                                          {kUnitNone, "Bez jednotky"}}};

}  // namespace

std::span<const CodeText> WiringTexts() {
    return kWiring;
}
std::span<const CodeText> FaultCurrentTexts() {
    return kFault;
}
std::span<const CodeText> LinModeTexts() {
    return kLin;
}
std::span<const CodeText> UnitChoices() {
    return kUnits;
}

std::uint8_t CodeOf(std::span<const CodeText> table, std::string_view text) {
    for (const auto& e : table)
        if (e.text == text)
            return e.code;
    return 0;
}

std::string_view TextOf(std::span<const CodeText> table, std::uint8_t code) {
    for (const auto& e : table)
        if (e.code == code)
            return e.text;
    return {};
}

}  // namespace veld::model
