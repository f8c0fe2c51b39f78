#pragma once

#include <cstdint>
#include <span>
#include <string_view>

// Byte codes of the transmitter and the texts the window shows for them (UTF-8).
namespace veld::model {

struct CodeText {
    std::uint8_t code;
    std::string_view text;
};

// `PripCidl`: wires of the sensor connection.
std::span<const CodeText> WiringTexts();
// `Chybproud`: output current on a sensor fault.
std::span<const CodeText> FaultCurrentTexts();
// `Linearizace` as stored in the transmitter (1 and 2 both read as "linearizováno").
std::span<const CodeText> LinModeTexts();
// `VolenaJednotka` items with their HART unit codes; "Bez jednotky" is 251 and shows no unit.
std::span<const CodeText> UnitChoices();

// Returns 0 when the text is not in the table.
std::uint8_t CodeOf(std::span<const CodeText> table, std::string_view text);
// Empty when the code is not in the table.
std::string_view TextOf(std::span<const CodeText> table, std::uint8_t code);

inline constexpr std::uint8_t kUnitDegC = 32;
inline constexpr std::uint8_t kUnitOhm = 37;
inline constexpr std::uint8_t kUnitMilliAmp = 39;
inline constexpr std::uint8_t kUnitPercent = 57;
inline constexpr std::uint8_t kUnitVolt = 58;
inline constexpr std::uint8_t kUnitNone = 251;

inline constexpr std::uint8_t kFaultCurrentOff = 3;  // "vyřazen", what the window starts with

inline constexpr std::string_view kLinBuiltIn = "linearizováno";
inline constexpr std::string_view kLinNone = "nelinearizováno";
inline constexpr std::string_view kLinFromFile = "ze souboru";
inline constexpr std::string_view kLinSquareRoot = "druhá odmocnina";

// `VzdStKon` offers the first two; the other two are the texts of the file.
inline constexpr std::string_view kColdJunctionInternal = "interní studený konec";
inline constexpr std::string_view kColdJunctionExternal = "externí studený konec";
inline constexpr std::string_view kColdJunctionNear = "blízký studený konec";
inline constexpr std::string_view kColdJunctionFar = "vzdálený studený konec";

// `RezimRele`, in list order.
inline constexpr std::string_view kRelayHysteresis = "HYSTEREZE";
inline constexpr std::string_view kRelayWindow = "OKNO";

}  // namespace veld::model
