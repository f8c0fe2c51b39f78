#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim/memory_image.h"

namespace veld::sim {
namespace {

TEST(MemoryImageFactory, holdsWhatTheProgramReliesOn) {
    const MemoryImage m;
    EXPECT_EQ(*m.Read(model::eeprom::kSignature.address, 2), (std::vector<Byte>{0x0D, 0xE5}));
    EXPECT_NE(m.Bytes()[model::eeprom::kFirmware.address], 0);
    // Output constants: I1 within 4..6 mA, I2 within 18..22 mA, codes rising with the current.
    const float codeLo = *m.RealAt(36), codeHi = *m.RealAt(40), i1 = *m.RealAt(44),
                i2 = *m.RealAt(48);
    EXPECT_GE(i1, 4.0f);
    EXPECT_LE(i1, 6.0f);
    EXPECT_GE(i2, 18.0f);
    EXPECT_LE(i2, 22.0f);
    EXPECT_LT(codeLo, codeHi);
    // The stored scaling is the one the program computes for 0..100 (single precision).
    EXPECT_FLOAT_EQ(*m.RealAt(52), codeLo + (codeHi - codeLo) * (4.0f - i1) / (i2 - i1));
    EXPECT_EQ(m.Bytes()[model::eeprom::kModeFlags.address] & 0x80, 0x80);
    EXPECT_EQ(m.Bytes()[model::eeprom::kEquipment.address] & 0x07, 0x07);
}

TEST(MemoryImageAccess, neverReachesBeyondTheImage) {
    struct Case {
        std::size_t address, count;
        bool inside;
    };
    for (const Case c : {Case{0, 0, true}, Case{2047, 1, true}, Case{2046, 2, true},
                         Case{2048, 0, true}, Case{2047, 2, false}, Case{2048, 1, false},
                         Case{65535, 4, false}, Case{static_cast<std::size_t>(-1), 2, false}}) {
        MemoryImage m;
        const std::vector<Byte> before(m.Bytes().begin(), m.Bytes().end());
        EXPECT_EQ(m.Read(c.address, c.count).has_value(), c.inside) << c.address << "+" << c.count;
        EXPECT_EQ(m.Write(c.address, std::vector<Byte>(c.count, 0xAB)), c.inside) << c.address;
        if (!c.inside) {
            EXPECT_EQ(std::vector<Byte>(m.Bytes().begin(), m.Bytes().end()), before);
        }
    }
}

TEST(MemoryImageFile, roundTrip_badFilesAreReportedAndKeepTheImage) {
    const auto dir = std::filesystem::path(::testing::TempDir()) / "veld_sim_image";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    MemoryImage m;
    ASSERT_TRUE(m.Write(512, std::vector<Byte>{'T', 'A', 'G'}));
    ASSERT_TRUE(m.Write(2047, std::vector<Byte>{0x5A}));
    ASSERT_TRUE(m.Save(dir / "image.bin"));
    EXPECT_EQ(std::filesystem::file_size(dir / "image.bin"), MemoryImage::kSize);
    EXPECT_FALSE(std::filesystem::exists(dir / "image.bin.tmp"));
    MemoryImage loaded;
    loaded.FactoryReset();
    ASSERT_TRUE(loaded.Load(dir / "image.bin"));
    EXPECT_TRUE(std::equal(m.Bytes().begin(), m.Bytes().end(), loaded.Bytes().begin()));

    const FileResult unsaved = m.Save(dir / "no" / "such" / "image.bin");
    EXPECT_FALSE(unsaved.ok);
    EXPECT_NE(unsaved.message.find("cannot create"), std::string::npos) << unsaved.message;

    std::ofstream(dir / "short.bin", std::ios::binary) << std::string(100, 'x');
    std::ofstream(dir / "long.bin", std::ios::binary) << std::string(MemoryImage::kSize + 1, 'x');
    std::ofstream(dir / "empty.bin", std::ios::binary);
    struct Case {
        const char* file;
        const char* expected;  // part of the message
    };
    for (const Case c :
         {Case{"short.bin", "has 100 bytes, expected 2048"}, Case{"long.bin", "more than 2048"},
          Case{"empty.bin", "has 0 bytes"}, Case{"missing.bin", "cannot open"}}) {
        const FileResult r = loaded.Load(dir / c.file);
        EXPECT_FALSE(r.ok) << c.file;
        EXPECT_NE(r.message.find(c.expected), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(c.file), std::string::npos) << r.message;
        EXPECT_TRUE(std::equal(m.Bytes().begin(), m.Bytes().end(), loaded.Bytes().begin()));
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace veld::sim
