#include "link/dev_float.h"

#include <bit>

namespace veld::link {

FloatBytes EncodeDevFloat(float x) {
    const auto bits = std::bit_cast<std::uint32_t>(x);
    const std::uint32_t sign = bits >> 31;
    std::uint32_t exponent = (bits >> 23) & 0xFF;
    const std::uint32_t mantissa = bits & 0x7FFFFF;
    if (exponent > 0 && exponent < 253)
        exponent += 2;
    return {static_cast<std::uint8_t>(exponent),
            static_cast<std::uint8_t>((sign << 7) | (mantissa >> 16)),
            static_cast<std::uint8_t>((mantissa >> 8) & 0xFF),
            static_cast<std::uint8_t>(mantissa & 0xFF)};
}

float DecodeDevFloat(const FloatBytes& b) {
    std::uint32_t exponent = b[0];
    if (exponent > 2)
        exponent -= 2;
    const std::uint32_t sign = b[1] >> 7;
    const std::uint32_t mantissa = (static_cast<std::uint32_t>(b[1] & 0x7F) << 16) |
                                   (static_cast<std::uint32_t>(b[2]) << 8) | b[3];
    return std::bit_cast<float>((sign << 31) | (exponent << 23) | mantissa);
}

float DecodePvFloat(const FloatBytes& b) {
    FloatBytes v = b;
    if (v[0] == 0x7F || v[0] == 0xFF)
        v[1] = v[2] = v[3] = 0x00;
    const std::uint32_t bits = (static_cast<std::uint32_t>(v[0]) << 24) |
                               (static_cast<std::uint32_t>(v[1]) << 16) |
                               (static_cast<std::uint32_t>(v[2]) << 8) | v[3];
    const float value = std::bit_cast<float>(bits);
    if (value < -1e30f)
        return -1e30f;
    if (value > 1e30f)
        return 1e30f;
    return value;
}

FloatBytes EncodePvFloat(float x) {
    const auto bits = std::bit_cast<std::uint32_t>(x);
    return {static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16),
            static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits)};
}

}  // namespace veld::link
