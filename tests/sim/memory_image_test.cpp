#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sim/memory_image.h"

namespace veld::sim {
namespace {

TEST(MemoryImageAccess, neverReachesBeyondTheImage) {
    // clang-format off
    struct Case { std::size_t address, count; bool inside; };
    // clang-format on
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

    std::ofstream(dir / "short.bin", std::ios::binary) << std::string(100, 'x');
    std::ofstream(dir / "long.bin", std::ios::binary) << std::string(MemoryImage::kSize + 1, 'x');
    for (const auto& [file, expected] : {std::pair{"short.bin", "has 100 bytes, expected 2048"},
                                         {"long.bin", "more than 2048"},
                                         {"missing.bin", "cannot open"}}) {
        const FileResult r = loaded.Load(dir / file);
        EXPECT_FALSE(r.ok) << file;
        EXPECT_NE(r.message.find(expected), std::string::npos) << r.message;
        EXPECT_NE(r.message.find(file), std::string::npos) << r.message;
        EXPECT_TRUE(std::equal(m.Bytes().begin(), m.Bytes().end(), loaded.Bytes().begin()));
    }
    EXPECT_FALSE(m.Save(dir / "no" / "such" / "image.bin").ok);
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace veld::sim
