#include "model/backup_image.h"

#include <gtest/gtest.h>

#include <string>

namespace veld::model {
namespace {

BackupImage Sample() {
    BackupImage image{{0x0D, 0xE5}, 23, "2026-12-07T10:00:00", "Kotelna 3", {}};
    for (const eeprom::NamedArea& a : eeprom::kBackupAreas) {
        BackupArea area{a.name, a.item.address, std::vector<std::uint8_t>(a.item.length)};
        for (std::size_t i = 0; i < area.bytes.size(); ++i)
            area.bytes[i] = static_cast<std::uint8_t>(a.item.address + i * 7);
        image.areas.push_back(area);
    }
    return image;
}

// The text with `from` replaced by `to` and the checksum made to match again.
std::string Resealed(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    text.erase(text.rfind("kontrolní součet: "));
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08X", Crc32(text));
    return text + "kontrolní součet: " + crc + "\n";
}

TEST(BackupImage, tableLeavesOutTheFactoryConstantsAndTheSignature) {
    std::uint16_t end = 0;
    for (const eeprom::NamedArea& a : eeprom::kBackupAreas) {
        EXPECT_GE(a.item.address, end) << a.name;  // in order, no overlap
        end = a.item.end();
        for (const eeprom::Item never : {eeprom::kOutputConstants, eeprom::kSignature})
            EXPECT_TRUE(a.item.end() <= never.address || a.item.address >= never.end()) << a.name;
    }
    EXPECT_LE(end, eeprom::kMapEnd);
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
}

TEST(BackupImage, roundTripAndTheHeader) {
    const std::string text = SerializeBackup(Sample());
    EXPECT_EQ(text.rfind("VELD záloha 1\npodpis: 0D E5\nfirmware: 23\nčas: 2026-12-07T10:00:00\n"
                         "poznámka: Kotelna 3\noblasti: předvolba 0 36, výstup 52 20, ",
                         0),
              0u);
    const ParsedBackup parsed = ParseBackup(text);
    ASSERT_TRUE(parsed.image) << parsed.message;
    EXPECT_EQ(*parsed.image, Sample());
}

TEST(BackupImage, refusesDamagedForeignAndForeignAreas) {
    const std::string text = SerializeBackup(Sample());
    std::string flipped = text;
    flipped[text.find("\n0: ") + 5] ^= 1;
    const std::pair<std::string, std::string> cases[] = {
        {"", "Soubor není záloha převodníku VELD."},
        {Resealed(text, "záloha 1", "záloha 2"),
         "Záloha má formát 2, tento program zná jen formát 1."},
        {flipped, "Záloha je poškozená: kontrolní součet nesouhlasí."},
        {text.substr(0, text.size() - 30),
         "Záloha je neúplná: chybí řádek „kontrolní součet“ na konci."},
        // The factory constants named as an area: refused, not written.
        {Resealed(text, "výstup 52 20", "výstup 36 36"),
         "Záloha je poškozená: řádek 6 uvádí oblast „výstup 36 36“, kterou tento program "
         "nezapisuje."},
        {Resealed(text, "\n16: ", "\n1600: "),
         "Záloha je poškozená: řádek 8 leží mimo uvedené oblasti."},
        {Resealed(text, "\n32: E0 E7 EE F5\n", "\n"),
         "Záloha je neúplná: oblasti „předvolba“ chybí bajty."},
    };
    for (const auto& [input, message] : cases) {
        const ParsedBackup parsed = ParseBackup(input);
        EXPECT_FALSE(parsed.image);
        EXPECT_EQ(parsed.message, message);
    }
}

}  // namespace
}  // namespace veld::model
