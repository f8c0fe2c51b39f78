#include "model/record_codec.h"

#include <algorithm>

#include "link/dev_float.h"
#include "model/code_tables.h"
#include "model/eeprom_map.h"

namespace veld::model {

std::optional<InputCodes> DecodeInputCodes(std::span<const std::uint8_t> b) {
    if (b.size() < eeprom::kInputCodes.length)
        return std::nullopt;
    return InputCodes{b[0], b[1], b[2], b[3]};
}

std::optional<CurveCodes> DecodeCurveCodes(std::span<const std::uint8_t> b) {
    if (b.size() < eeprom::kCurveCodes.length)
        return std::nullopt;
    return CurveCodes{b[0], b[1], b[2], b[3]};
}

bool IsVeldSignature(std::span<const std::uint8_t> b) {
    return b.size() >= eeprom::kSignature.length && b[0] == eeprom::kSignatureByte0 &&
           b[1] == eeprom::kSignatureByte1;
}

std::optional<std::uint8_t> DecodeFirmwareNumber(std::span<const std::uint8_t> b) {
    if (b.empty())
        return std::nullopt;
    return b[0] == 0 || b[0] == 255 ? std::uint8_t{1} : b[0];
}

std::string_view ColdJunctionText(std::uint8_t hwCode) {
    if (hwCode >= 29 && hwCode <= 32)
        return kColdJunctionInternal;
    if (hwCode >= 33 && hwCode <= 36)
        return kColdJunctionNear;
    if (hwCode >= 37 && hwCode <= 40)
        return kColdJunctionFar;
    return {};
}

std::optional<float> RealAt(std::span<const std::uint8_t> bytes, std::size_t index) {
    const std::size_t first = index * eeprom::kRealLength;
    if (bytes.size() < first + eeprom::kRealLength)
        return std::nullopt;
    link::FloatBytes b{};
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(first), b.size(), b.begin());
    return link::DecodeDevFloat(b);
}

}  // namespace veld::model
