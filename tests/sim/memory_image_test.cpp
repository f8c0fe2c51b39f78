#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim/memory_image.h"

namespace veld::sim {
namespace {

class MemoryImageFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("veld_sim_image_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    void WriteFile(const std::filesystem::path& p, std::size_t size, char fill) {
        std::ofstream(p, std::ios::binary) << std::string(size, fill);
    }
    std::filesystem::path dir_;
};

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

TEST_F(MemoryImageFile, saveAndLoad_roundTrip) {
    MemoryImage m;
    ASSERT_TRUE(m.Write(512, std::vector<Byte>{'T', 'A', 'G'}));
    ASSERT_TRUE(m.Write(2047, std::vector<Byte>{0x5A}));
    const auto path = dir_ / "image.bin";
    ASSERT_TRUE(m.Save(path)) << m.Save(path).message;
    EXPECT_EQ(std::filesystem::file_size(path), MemoryImage::kSize);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "image.bin.tmp"));
    MemoryImage loaded;
    loaded.FactoryReset();
    ASSERT_TRUE(loaded.Load(path));
    EXPECT_TRUE(std::equal(m.Bytes().begin(), m.Bytes().end(), loaded.Bytes().begin()));
}

TEST_F(MemoryImageFile, load_malformedFile_reportsAndKeepsImage) {
    WriteFile(dir_ / "short.bin", 100, 'x');
    WriteFile(dir_ / "long.bin", MemoryImage::kSize + 1, 'x');
    WriteFile(dir_ / "empty.bin", 0, 'x');
    struct Case {
        const char* file;
        const char* expected;  // part of the message
    };
    for (const Case c :
         {Case{"short.bin", "has 100 bytes, expected 2048"}, Case{"long.bin", "more than 2048"},
          Case{"empty.bin", "has 0 bytes"}, Case{"missing.bin", "cannot open"}}) {
        MemoryImage m;
        const std::vector<Byte> before(m.Bytes().begin(), m.Bytes().end());
        const FileResult r = m.Load(dir_ / c.file);
        EXPECT_FALSE(r.ok) << c.file;
        EXPECT_NE(r.message.find(c.expected), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(c.file), std::string::npos) << r.message;
        EXPECT_EQ(std::vector<Byte>(m.Bytes().begin(), m.Bytes().end()), before) << c.file;
    }
}

TEST_F(MemoryImageFile, save_intoMissingFolder_reportsAndLeavesNothing) {
    const MemoryImage m;
    const FileResult r = m.Save(dir_ / "no" / "such" / "image.bin");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("cannot create"), std::string::npos) << r.message;
}

}  // namespace
}  // namespace veld::sim
