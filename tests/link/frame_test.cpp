#include "link/frame.h"
#include "link/dev_float.h"

#include <gtest/gtest.h>

#include <bit>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace veld::link {
namespace {

std::vector<Byte> Frame(const RequestBuffer& r) {
    return {r.TxFrame.begin(), r.TxFrame.begin() + r.TxLength};
}

Byte XorOf(const std::vector<Byte>& v, std::size_t from, std::size_t to) {
    Byte x = 0;
    for (std::size_t i = from; i <= to; ++i)
        x ^= v[i];
    return x;
}

TEST(Crc16, MatchesPublishedModbusCheckValues) {
    // "123456789" -> 0x4B37 is the catalogued check value of CRC-16/MODBUS; the second vector is
    // a Modbus RTU request (read holding registers) whose CRC bytes 0x84 0x0A are widely quoted.
    const std::string text = "123456789";
    const std::vector<Byte> ascii(text.begin(), text.end());
    EXPECT_EQ(Crc16(ascii), 0x4B37);
    EXPECT_EQ(Crc16(std::vector<Byte>{0x01, 0x03, 0x00, 0x00, 0x00, 0x01}), 0x0A84);
    EXPECT_EQ(Crc16({}), 0xFFFF);
}

// Whole frames without their checksum, which is checked as the XOR from the delimiter on; and
// the fields read back from them.
TEST(BuildRequest, LaysOutEachAddressWidth) {
    // afterAddress: command, byte count, data
    // clang-format off
    struct Case { const char* name; std::uint32_t address; std::uint8_t count;
                  std::vector<Byte> afterAddress; std::optional<std::uint32_t> readAddress;
                  std::optional<std::uint8_t> readCount; std::size_t dataBytes; };
    const std::vector<Case> cases{
        {"ReadUniqIdent", 0, 0, {0x00, 0}, {}, {}, 0},
        {"ReadEEPROM", 512, 15, {0x71, 3, 0x02, 0x00, 0x0F}, 512, 15, 0},
        // TxData from element 1; element 0 and those beyond the count are never sent.
        {"WriteEEPROM", 120, 4, {0x72, 7, 0x00, 0x78, 0x04, 0x11, 0x22, 0x33, 0x44}, 120, 4, 4},
        {"WriteEEPROM", 0x0102, 0, {0x72, 3, 0x01, 0x02, 0x00}, 0x0102, 0, 0},
        {"ReadEEPROM2", 0x012345, 9, {0x7C, 4, 0x01, 0x23, 0x45, 9}, 0x012345, 9, 0},
        {"ReadRAM", 0x1234, 2, {0x6F, 2, 0x34, 2}, 0x34, 2, 0},
        {"STOPFAZ", 0xABCD, 0, {0x7B, 1, 0xCD}, 0xCD, {}, 0},
        {"WriteCasKonst", 0, 0, {0x22, 4, 0x11, 0x22, 0x33, 0x44}, {}, 4, 4},
        {"readeeprom", 512, 4, {}, {}, {}, 0}};  // unknown or miscased: address only
    // clang-format on
    const std::vector<Byte> head{0xFF, 0xFF, 0xFF, 0x82, 0x3A, 0xBD, 0xEF, 0xB1, 0x34};
    for (const Case& c : cases) {
        RequestBuffer r;
        r.TxData[0] = 0xEE;
        for (std::size_t i = 1; i <= 5; ++i)
            r.TxData[i] = static_cast<Byte>(0x11 * i);
        r.BuildRequest(c.name, c.address, c.count);
        std::vector<Byte> expected = head;
        expected.insert(expected.end(), c.afterAddress.begin(), c.afterAddress.end());
        const auto frame = Frame(r);
        ASSERT_EQ(frame.size(), expected.size() + 1) << c.name;
        EXPECT_EQ(std::vector<Byte>(frame.begin(), frame.end() - 1), expected) << c.name;
        EXPECT_EQ(frame.back(), XorOf(frame, 3, frame.size() - 2)) << c.name;
        EXPECT_EQ(r.TxFrame[r.TxLength], 0x00) << c.name << ": the pad";

        const auto fields = ReadRequest(r.WireBytes());
        ASSERT_EQ(fields.has_value(), !c.afterAddress.empty()) << c.name;
        if (!fields)
            continue;
        EXPECT_EQ(fields->command, c.afterAddress[0]) << c.name;
        EXPECT_EQ(fields->address, c.readAddress) << c.name;
        EXPECT_EQ(fields->count, c.readCount) << c.name;
        EXPECT_EQ(fields->data,
                  std::vector<Byte>(c.afterAddress.end() - c.dataBytes, c.afterAddress.end()))
            << c.name;
    }
    EXPECT_FALSE(ReadRequest(
        std::vector<Byte>{0xFF, 0xFF, 0xFF, 0x82, 0x3A, 0xBD, 0xEF, 0xB1, 0x34, 0x71, 3, 0x02}))
        << "a byte count beyond the bytes";
}

TEST(BuildRequest, OversizedWriteIsCut_aShorterRequestLeavesNothingOfIt) {
    RequestBuffer r;
    r.TxData.fill(0x5A);
    r.BuildRequest("WriteEEPROM", 100, 200);
    EXPECT_LE(r.TxLength + 3u, kBufferSize);
    EXPECT_EQ(r.TxFrame[10], r.TxFrame[13] + 3);
    EXPECT_EQ(r.TxFrame[r.TxLength - 1], XorOf(Frame(r), 3, r.TxLength - 2u));
    EXPECT_EQ(r.WireBytes().size(), r.TxLength + 3u);

    r.BuildRequest("Stop", 0, 0);
    ASSERT_EQ(r.TxLength, 12);
    for (std::size_t i = 12; i < r.TxFrame.size(); ++i)
        EXPECT_EQ(r.TxFrame[i], 0) << i;
}

// The checksums were worked out by hand from the documented frames.
TEST(BuildReplyFrame, BuildsTheDocumentedReplies) {
    EXPECT_EQ(BuildReplyFrame(0x7F, 0, 0, {}),
              (std::vector<Byte>{0xFF, 0xFF, 0x86, 0x3A, 0xBD, 0xEF, 0xB1, 0x34, 0x7F, 0x02, 0x00,
                                 0x00, 0x16}));
    const std::vector<Byte> pv{0x20, 0x42, 0xC8, 0x00, 0x00};
    EXPECT_EQ(BuildReplyFrame(0x01, 0, 0, pv, 0),
              (std::vector<Byte>{0x86, 0x3A, 0xBD, 0xEF, 0xB1, 0x34, 0x01, 0x07, 0x00, 0x00, 0x20,
                                 0x42, 0xC8, 0x00, 0x00, 0xC7}));
    // The byte count is one byte: a longer payload is cut, never wrapped.
    const std::vector<Byte> huge(300, 0x55);
    const auto cut = BuildReplyFrame(0x71, 0, 0, huge);
    EXPECT_EQ(cut[9], 255);
    EXPECT_EQ(cut.size(), 2 + 11 + kMaxReplyPayload);
}

TEST(DevFloat, KnownEncodings) {
    // clang-format off
    struct Row { float value; FloatBytes bytes; };
    const Row rows[] = {{1.0f, {0x81, 0x00, 0x00, 0x00}}, {-1.0f, {0x81, 0x80, 0x00, 0x00}},
                        {100.0f, {0x87, 0x48, 0x00, 0x00}}, {0.5f, {0x80, 0x00, 0x00, 0x00}},
                        {0.0f, {0x00, 0x00, 0x00, 0x00}}};
    // clang-format on
    for (const Row& row : rows) {
        EXPECT_EQ(EncodeDevFloat(row.value), row.bytes) << row.value;
        EXPECT_EQ(DecodeDevFloat(row.bytes), row.value) << row.value;
    }
}

TEST(DevFloat, RoundTripsEveryNormalExponentBelowTheShiftLimit) {
    std::mt19937 gen(20261206);
    std::uniform_int_distribution<std::uint32_t> mantissa(0, 0x7FFFFF);
    for (std::uint32_t e = 1; e < 253; ++e)
        for (std::uint32_t sign : {0u, 1u}) {
            const auto bits = (sign << 31) | (e << 23) | mantissa(gen);
            const float x = std::bit_cast<float>(bits);
            EXPECT_EQ(std::bit_cast<std::uint32_t>(DecodeDevFloat(EncodeDevFloat(x))), bits);
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
