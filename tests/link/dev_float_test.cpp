#include "link/dev_float.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

namespace veld::link {
namespace {

TEST(DevFloat, KnownEncodings) {
    struct Row {
        float value;
        FloatBytes bytes;
    };
    const Row rows[] = {
        {1.0f, {0x81, 0x00, 0x00, 0x00}},   {-1.0f, {0x81, 0x80, 0x00, 0x00}},
        {100.0f, {0x87, 0x48, 0x00, 0x00}}, {0.5f, {0x80, 0x00, 0x00, 0x00}},
        {0.0f, {0x00, 0x00, 0x00, 0x00}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(EncodeDevFloat(row.value), row.bytes) << row.value;
        EXPECT_EQ(DecodeDevFloat(row.bytes), row.value) << row.value;
    }
}

TEST(DevFloat, RoundTripsEveryNormalExponentBelowTheShiftLimit) {
    std::mt19937 gen(20261206);
    std::uniform_int_distribution<std::uint32_t> mantissa(0, 0x7FFFFF);
    for (std::uint32_t e = 1; e < 253; ++e) {
        for (std::uint32_t sign : {0u, 1u}) {
            const auto bits = (sign << 31) | (e << 23) | mantissa(gen);
            const float x = std::bit_cast<float>(bits);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(DecodeDevFloat(EncodeDevFloat(x))), bits);
        }
    }
}

TEST(DevFloat, LargestExponentsAreCarriedUnshifted) {
    // E of 253 and more cannot take the +2; the decoder then reads them 2 lower.
    const float big = std::bit_cast<float>(253u << 23);
    EXPECT_EQ(EncodeDevFloat(big)[0], 253);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(DecodeDevFloat(EncodeDevFloat(big))), 251u << 23);
}

TEST(PvFloat, DecodesAndClamps) {
    EXPECT_EQ(DecodePvFloat({0x42, 0xC8, 0x00, 0x00}), 100.0f);
    EXPECT_EQ(DecodePvFloat({0x7F, 0xA0, 0x00, 0x00}), 1e30f);   // NaN pattern
    EXPECT_EQ(DecodePvFloat({0xFF, 0x80, 0x00, 0x00}), -1e30f);  // minus infinity
    EXPECT_EQ(DecodePvFloat({0x71, 0x49, 0xF2, 0xCB}), 1e30f);   // just above 1e30
    EXPECT_EQ(DecodePvFloat({0xC2, 0xC8, 0x00, 0x00}), -100.0f);
    EXPECT_EQ(DecodePvFloat(EncodePvFloat(-273.15f)), -273.15f);
}

}  // namespace
}  // namespace veld::link
