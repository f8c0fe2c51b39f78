#include "model/eeprom_names.h"

#include <gtest/gtest.h>

#include "hex.h"
#include "model/write_plan.h"

namespace veld::model {
namespace {

using testing::Hex;

TEST(EepromNames, itemsLieInAddressOrderWithoutOverlap) {
    const auto items = NamedItems();
    for (std::size_t i = 1; i < items.size(); ++i)
        EXPECT_LE(items[i - 1].item.end(), items[i].item.address) << items[i].name;
}

TEST(EepromNames, describesWhatLiesAtAnAddress) {
    std::vector<std::uint8_t> note(20, ' ');
    note[0] = 'K';
    note[1] = 0xE8;  // not ASCII: the caller's decoder or '?'
    const auto cp1250 = [](std::span<const std::uint8_t> b) {
        std::string text;
        for (std::uint8_t c : b)
            text += c == 0xE8 ? std::string("č") : std::string(1, static_cast<char>(c));
        return text;
    };
    const struct {
        std::uint16_t address;
        std::vector<std::uint8_t> bytes;
        std::string meaning;
    } cases[] = {
        {363, RealBytes({0.5f}), "tlumení 0.5 s"},
        {1568, RealBytes({0, 100}), "rozsah 0 … 100"},
        // Two items at once, and one touched only in part.
        {363, Hex("80 00 00 00 00"), "tlumení 0.5 s"},
        {361, RealBytes({1}), "mez přebuzení dolní (část) 81 00; tlumení (část) 00 00"},
        {400, Hex("01 01 05 03"),
         "vstup odporový teploměr Pt100 (1); chybový proud nadproud (1); kód předvolby 5; "
         "připojení čidla třívodičově (3)"},
        {1048, RealBytes({150, 140}),
         "komparátor 2 mez sepnutí 150; komparátor 2 mez rozepnutí 140"},
        {1081, Hex("03"), "komparátor 2 povolen, OKNO (03)"},
        {532, note, "poznámka (znaky 21–40) „K?“"},
        {2000, Hex("01 02"), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribeEeprom(c.address, c.bytes), c.meaning) << c.address;
    EXPECT_EQ(DescribeEeprom(512, note, cp1250), "poznámka (znaky 1–20) „Kč“");

    EXPECT_EQ(DescribeProcessValue(Hex("20 41 AC 00 00")), "21.5 °C");
    EXPECT_EQ(DescribeProcessValue(Hex("20 41 AC")), "");
}

}  // namespace
}  // namespace veld::model
