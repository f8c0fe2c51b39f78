#include "link/frame.h"

#include <gtest/gtest.h>

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
    const std::vector<Byte> rtu{0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(Crc16(rtu), 0x0A84);
    EXPECT_EQ(Crc16({}), 0xFFFF);
}

TEST(BuildRequest, ReadUniqIdentIsTheShortestFrame) {
    RequestBuffer r;
    r.BuildRequest("ReadUniqIdent", 0, 0);
    const std::vector<Byte> expected{0xFF, 0xFF, 0xFF, 0x82, 0x3A, 0xBD,
                                     0xEF, 0xB1, 0x34, 0x00, 0x00};
    ASSERT_EQ(r.TxLength, 12);
    auto frame = Frame(r);
    EXPECT_EQ(std::vector<Byte>(frame.begin(), frame.begin() + 11), expected);
    EXPECT_EQ(frame[11], XorOf(frame, 3, 10));
    EXPECT_EQ(r.TxFrame[12], 0x00);
}

TEST(BuildRequest, ReadEepromCarriesSixteenBitAddressHighFirst) {
    RequestBuffer r;
    r.BuildRequest("ReadEEPROM", 512, 15);
    ASSERT_EQ(r.TxLength, 15);
    EXPECT_EQ(r.TxFrame[9], 0x71);
    EXPECT_EQ(r.TxFrame[10], 3);
    EXPECT_EQ(r.TxFrame[11], 0x02);
    EXPECT_EQ(r.TxFrame[12], 0x00);
    EXPECT_EQ(r.TxFrame[13], 0x0F);
    EXPECT_EQ(r.TxFrame[14], XorOf(Frame(r), 3, 13));
}

TEST(BuildRequest, WriteEepromCopiesTxDataFromElementOne) {
    RequestBuffer r;
    r.TxData[0] = 0xEE;  // never sent
    r.TxData[1] = 0x11;
    r.TxData[2] = 0x22;
    r.TxData[3] = 0x33;
    r.TxData[4] = 0x44;
    r.TxData[5] = 0x55;  // beyond the count
    r.BuildRequest("WriteEEPROM", 120, 4);
    ASSERT_EQ(r.TxLength, 19);
    const std::vector<Byte> tail(r.TxFrame.begin() + 9, r.TxFrame.begin() + 18);
    EXPECT_EQ(tail, (std::vector<Byte>{0x72, 7, 0x00, 0x78, 0x04, 0x11, 0x22, 0x33, 0x44}));
    EXPECT_EQ(r.TxFrame[18], XorOf(Frame(r), 3, 17));
    EXPECT_EQ(r.TxFrame[19], 0x00);
}

TEST(BuildRequest, AddressWidthsFollowTheCommand) {
    RequestBuffer r;
    r.BuildRequest("ReadEEPROM2", 0x012345, 9);
    EXPECT_EQ(r.TxFrame[10], 4);
    EXPECT_EQ(std::vector<Byte>(r.TxFrame.begin() + 11, r.TxFrame.begin() + 15),
              (std::vector<Byte>{0x01, 0x23, 0x45, 9}));

    r.BuildRequest("ReadRAM", 0x1234, 2);
    EXPECT_EQ(r.TxFrame[9], 0x6F);
    EXPECT_EQ(r.TxFrame[10], 2);
    EXPECT_EQ(r.TxFrame[11], 0x34);
    EXPECT_EQ(r.TxFrame[12], 2);

    r.BuildRequest("STOPFAZ", 0xABCD, 0);
    EXPECT_EQ(r.TxFrame[10], 1);
    EXPECT_EQ(r.TxFrame[11], 0xCD);
    EXPECT_EQ(r.TxLength, 13);

    r.TxData[1] = 1;
    r.TxData[2] = 2;
    r.TxData[3] = 3;
    r.TxData[4] = 4;
    r.BuildRequest("WriteCasKonst", 0, 0);
    EXPECT_EQ(r.TxFrame[10], 4);
    EXPECT_EQ(std::vector<Byte>(r.TxFrame.begin() + 11, r.TxFrame.begin() + 15),
              (std::vector<Byte>{1, 2, 3, 4}));
}

TEST(BuildRequest, EveryCommandHasItsByte) {
    struct Row {
        const char* name;
        Byte code;
        Byte byteCountForCountTwo;
    };
    const Row rows[] = {
        {"ReadUniqIdent", 0x00, 0}, {"ReadPV", 0x01, 0},      {"WriteCasKonst", 0x22, 4},
        {"NastFS", 0x24, 0},        {"NastOfs", 0x25, 0},     {"ReadRAM", 0x6F, 2},
        {"WriteRAM", 0x70, 4},      {"ReadEEPROM", 0x71, 3},  {"WriteEEPROM", 0x72, 5},
        {"Stop", 0x73, 0},          {"Continue", 0x74, 0},    {"WriteDA", 0x75, 3},
        {"Reset", 0x76, 0},         {"ReadRTCC", 0x78, 2},    {"WriteRTCC", 0x79, 4},
        {"STOPFAZ", 0x7B, 1},       {"ReadEEPROM2", 0x7C, 4}, {"WriteEEPROM2", 0x7D, 6},
    };
    RequestBuffer r;
    for (const Row& row : rows) {
        r.BuildRequest(row.name, 0x100, 2);
        EXPECT_EQ(r.TxFrame[9], row.code) << row.name;
        EXPECT_EQ(r.TxFrame[10], row.byteCountForCountTwo) << row.name;
        EXPECT_EQ(r.TxLength, 12 + row.byteCountForCountTwo) << row.name;
    }
}

TEST(BuildRequest, UnknownOrMiscasedNameBuildsAddressOnly) {
    RequestBuffer r;
    r.BuildRequest("readeeprom", 512, 4);
    ASSERT_EQ(r.TxLength, 10);
    EXPECT_EQ(r.TxFrame[9], XorOf(Frame(r), 3, 8));
}

TEST(BuildRequest, WriteWithCountZeroSendsOnlyAddressAndCount) {
    RequestBuffer r;
    r.TxData[1] = 0x99;
    r.BuildRequest("WriteEEPROM", 0x0102, 0);
    EXPECT_EQ(r.TxFrame[10], 3);
    EXPECT_EQ(r.TxLength, 15);
    EXPECT_EQ(r.TxFrame[13], 0);
}

TEST(BuildRequest, SecondRequestLeavesNothingOfALongerOne) {
    RequestBuffer r;
    r.TxData.fill(0x5A);
    r.BuildRequest("WriteEEPROM", 100, 20);
    r.BuildRequest("Stop", 0, 0);
    ASSERT_EQ(r.TxLength, 12);
    for (std::size_t i = 12; i < r.TxFrame.size(); ++i)
        EXPECT_EQ(r.TxFrame[i], 0) << i;
}

TEST(BuildRequest, OversizedWriteIsCutToFitTheBuffer) {
    RequestBuffer r;
    r.TxData.fill(0x5A);
    r.BuildRequest("WriteEEPROM", 100, 200);
    EXPECT_LE(r.TxLength + 3u, kBufferSize);
    EXPECT_EQ(r.TxFrame[10], r.TxFrame[13] + 3);
    EXPECT_EQ(r.TxFrame[r.TxLength - 1], XorOf(Frame(r), 3, r.TxLength - 2u));
    EXPECT_EQ(r.WireBytes().size(), r.TxLength + 3u);
}

TEST(WireBytes, CrcCoversPreambleFrameAndPad) {
    RequestBuffer r;
    r.BuildRequest("ReadEEPROM", 257, 2);
    const auto wire = r.WireBytes();
    ASSERT_EQ(wire.size(), r.TxLength + 3u);
    EXPECT_EQ(wire[r.TxLength], 0x00);
    const std::vector<Byte> covered(wire.begin(), wire.begin() + r.TxLength + 1);
    const std::uint16_t crc = Crc16(covered);
    EXPECT_EQ(wire[r.TxLength + 1], crc & 0xFF);
    EXPECT_EQ(wire[r.TxLength + 2], crc >> 8);
    // Changing a preamble byte changes the CRC but not the checksum.
    auto altered = covered;
    altered[0] = 0xFE;
    EXPECT_NE(Crc16(altered), crc);
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

}  // namespace
}  // namespace veld::link
