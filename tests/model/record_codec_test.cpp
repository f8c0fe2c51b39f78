#include "model/record_codec.h"

#include <gtest/gtest.h>

#include "hex.h"
#include "model/eeprom_map.h"
#include "model/input_types.h"

namespace veld::model {
namespace {

using testing::Hex;

TEST(RecordCodec, decodesTheReadsAndRefusesShortOnes) {
    const auto curves = DecodeCurveCodes(Hex("20 09 0E 04"));
    ASSERT_TRUE(curves);
    EXPECT_EQ(curves->DisplayCurve, 14);
    EXPECT_EQ(curves->LinMode, 4);
    EXPECT_FALSE(DecodeInputCodes(Hex("0D 02 23")));
    EXPECT_FALSE(DecodeCurveCodes({}));
    EXPECT_FALSE(DecodeFirmwareNumber({}));
    EXPECT_FALSE(RealAt(Hex("81 00 00 00 81"), 1));
    EXPECT_EQ(RealAt(Hex("00 00 00 00 81 80 00 00"), 1), -1.0f);
}

TEST(RecordCodec, signatureAndFirmwareNumber) {
    EXPECT_TRUE(IsVeldSignature(Hex("0D E5")));
    EXPECT_FALSE(IsVeldSignature(Hex("0D E6")));
    EXPECT_EQ(DecodeFirmwareNumber(Hex("00 07")), 1);
    EXPECT_EQ(DecodeFirmwareNumber(Hex("FF 07")), 1);
    EXPECT_EQ(DecodeFirmwareNumber(Hex("17 00")), 23);
}

// The cold junction a hardware code names is in cold_junction.scn.
TEST(InputTypes, listShowsNBeforeLButBothKeepTheTransmittersCodes) {
    const auto list = InputListCodes();
    ASSERT_EQ(list.size(), 19u);
    EXPECT_EQ(list[10], 13);
    EXPECT_EQ(list[11], 12);
    EXPECT_EQ(FindInputType("Termočlánek K"), nullptr);  // exact case
}

TEST(EepromMap, neighbouringUploadsDoNotOverlap) {
    EXPECT_EQ(eeprom::ComparatorOffLimit(4).end(), eeprom::kComparatorOnDelays.address);
    EXPECT_LE(eeprom::kPolynomialCoefficients.end(), eeprom::kColdJunctionDegree.address);
    EXPECT_EQ(eeprom::kSegmentTable.end(), eeprom::kSegmentEnd.address);
    EXPECT_EQ(eeprom::kHwWordsSecond.end(), eeprom::kHwBytesA.address);
}

}  // namespace
}  // namespace veld::model
