#include "model/hw_presets.h"

#include <gtest/gtest.h>

#include <set>

#include "hex.h"

namespace veld::model {
namespace {

using testing::Hex;

// Code 40, the row with words in the second group, as the documentation's row gives its eight
// writes; the scenarios write the others' shapes.
TEST(HwPresetWrite, rowGoesOutByteExactInTheDocumentedOrder) {
    const auto preset = HwPresetSelect(40);
    ASSERT_TRUE(preset.ok());
    const WritePlan expected{
        {0, Hex("15 05 13 01 10 06 13 01 21 13 81 00")},
        {12, Hex("02 02 20 04 13 21 00 00 00 00 00 00"), std::chrono::milliseconds(100)},
        {24, Hex("16 56 02 34")},
        {28, Hex("81 00 00 00 00 00 00 00")},  // gain 1.0, offset 0.0
        {96, Hex("E6 03 E6 03")},
        {100, Hex("7C 0F 80 60 00 00 7C FF 90 78 05 00")},
        {112, Hex("B9 00 00 01")},
        {448, Hex("7E 10 2D E0 7A D1 B7 17")},  // upper and lower limit: 0.1408, -0.0128
    };
    EXPECT_EQ(HwPresetWrite(*preset), expected);
}

// The other codes are refused with a message naming the code; the difference inputs in full.
TEST(HwPresetSelect, onlyTheDocumentedCodesHaveARow) {
    std::set<int> withRow;
    for (int code = 0; code <= 255; ++code) {
        const auto preset = HwPresetSelect(static_cast<std::uint8_t>(code));
        if (preset.ok()) {
            withRow.insert(code);
            continue;
        }
        EXPECT_EQ(preset.message(),
                  "Pro tento vstup (kód hardwarové konfigurace " + std::to_string(code) +
                      ") nemá program nastavení vstupních obvodů. Konfigurace nebyla zapsána.");
    }
    std::set<int> documented{1, 2, 3, 4, 5, 6, 7, 8, 17, 18, 19, 20, 49, 50, 51, 52, 53};
    for (int code = 25; code <= 40; ++code)
        documented.insert(code);
    EXPECT_EQ(withRow, documented);
    EXPECT_EQ(HwPresetTable().size(), documented.size());
}

}  // namespace
}  // namespace veld::model
