#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

// What the reads of the whole configuration return, decoded into the record's fields. Each
// decoder takes the payload of one read and gives nothing when it holds too few bytes.
namespace veld::model {

// The index-th DevFloat of read bytes (index 0 at bytes 0..3).
std::optional<float> RealAt(std::span<const std::uint8_t> bytes, std::size_t index = 0);

// 400..403.
struct InputCodes {
    std::uint8_t InputType = 0;
    std::uint8_t FaultCurrent = 0;
    std::uint8_t HwCode = 0;
    std::uint8_t Wiring = 0;
};
std::optional<InputCodes> DecodeInputCodes(std::span<const std::uint8_t> bytes);

// 408..411.
struct CurveCodes {
    std::uint8_t UnitCode = 0;
    std::uint8_t SensorCurve = 0;
    std::uint8_t DisplayCurve = 0;
    std::uint8_t LinMode = 0;
};
std::optional<CurveCodes> DecodeCurveCodes(std::span<const std::uint8_t> bytes);

// 257..258 hold 0x0D 0xE5 in every transmitter this program writes to.
bool IsVeldSignature(std::span<const std::uint8_t> bytes);

// The first byte at 262; 0 and 255 are taken as 1.
std::optional<std::uint8_t> DecodeFirmwareNumber(std::span<const std::uint8_t> bytes);

// The cold junction a thermocouple's `HwCode` carries: 29..32 "interní studený konec", 33..36
// "blízký studený konec", 37..40 "vzdálený studený konec"; empty for any other code.
std::string_view ColdJunctionText(std::uint8_t hwCode);

}  // namespace veld::model
