#include <gtest/gtest.h>

#include <random>

#include "sim/request_assembler.h"
#include "support/wire.h"

namespace veld::sim {
namespace {

using namespace std::chrono_literals;
using testing::RequestWire;

std::vector<Byte> Concat(std::initializer_list<std::vector<Byte>> parts) {
    std::vector<Byte> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// A request with the given address, checksum and CRC made right for it.
std::vector<Byte> ForeignRequest() {
    std::vector<Byte> wire = RequestWire("ReadPV");
    wire[8] ^= 0x01;
    wire.resize(11);
    wire.push_back(link::XorChecksum(std::span<const Byte>(wire).subspan(3)));
    wire.push_back(0x00);
    const auto crc = link::Crc16(wire);
    wire.insert(wire.end(), {static_cast<Byte>(crc & 0xFF), static_cast<Byte>(crc >> 8)});
    return wire;
}

TEST(RequestAssembler, splitInput_completesOnTheLastByteAndKeepsTheFirstByteTime) {
    RequestAssembler a;
    const std::vector<Byte> data{0x11, 0x22};
    const auto wire = RequestWire("WriteEEPROM", 512, 2, data);
    for (std::size_t i = 0; i + 1 < wire.size(); ++i)
        EXPECT_TRUE(a.Feed({&wire[i], 1}, link::Micros{7000 + 10 * static_cast<long>(i)}).empty());
    const auto requests = a.Feed({&wire.back(), 1}, 9ms);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].data, (std::vector<Byte>{0x02, 0x00, 0x02, 0x11, 0x22}));
    EXPECT_EQ(requests[0].wireLength, 3u + 8 + 5 + 4);
    EXPECT_EQ(requests[0].firstByteAt, 7ms);
    EXPECT_EQ(a.Pending(), 0u);
}

TEST(RequestAssembler, concatenatedInputWithNoiseAndLongPreamble) {
    RequestAssembler a;
    const std::vector<Byte> noise{0x00, 0x13, 0x82, 0xFF, 0x42};
    const std::vector<Byte> extraPreamble{0xFF, 0xFF, 0xFF, 0xFF};  // before a 3-byte preamble
    const auto requests = a.Feed(Concat({noise, RequestWire("ReadPV"), extraPreamble,
                                         RequestWire("Stop"), RequestWire("ReadEEPROM", 60, 8)}),
                                 0ms);
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].command, 0x01);
    EXPECT_EQ(requests[1].command, 0x73);
    EXPECT_EQ(requests[1].wireLength, 3u + 8 + 4) << "the CRC covered three preamble bytes";
    EXPECT_EQ(requests[2].command, 0x71);
    EXPECT_EQ(a.Stats().noiseBytes, noise.size());
    EXPECT_EQ(a.Stats().Rejected(), 0u);
}

TEST(RequestAssembler, damagedRequests_areDroppedCountedAndTheNextOneIsTaken) {
    const auto good = RequestWire("ReadEEPROM", 400, 4);
    // clang-format off
    struct Case { const char* name; std::vector<Byte> bytes;
                  std::size_t AssemblerStats::*counter; };
    // clang-format on
    auto flip = [&](std::size_t index) {
        auto w = good;
        w[index] ^= 0x40;
        return w;
    };
    const std::vector<Case> cases{
        {"data byte", flip(12), &AssemblerStats::badChecksum},
        {"CRC low", flip(good.size() - 2), &AssemblerStats::badCrc},
        {"preamble", flip(0), &AssemblerStats::badCrc},
        {"address", ForeignRequest(), &AssemblerStats::wrongAddress},
    };
    for (const Case& c : cases) {
        RequestAssembler a;
        const auto requests = a.Feed(Concat({c.bytes, good}), 0ms);
        ASSERT_EQ(requests.size(), 1u) << c.name;
        EXPECT_EQ(requests[0].data, (std::vector<Byte>{0x01, 0x90, 0x04})) << c.name;
        EXPECT_EQ(a.Stats().*c.counter, 1u) << c.name;
        EXPECT_EQ(a.Stats().Rejected(), 1u) << c.name;
    }
}

TEST(RequestAssembler, pauseOnTheLine_abandonsAPartialRequest) {
    RequestAssembler a;
    // A damaged byte count promises 200 data bytes that never come.
    auto broken = RequestWire("ReadPV");
    broken[10] = 200;
    EXPECT_TRUE(a.Feed(broken, 0ms).empty());
    EXPECT_TRUE(a.Feed(RequestWire("ReadPV"), 50ms).empty()) << "still taken as data";
    const auto requests = a.Feed(RequestWire("ReadPV"), 200ms);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(a.Stats().abandoned, 1u);
}

TEST(RequestAssembler, memoryStaysBoundedWhateverArrives) {
    RequestAssembler a;
    std::mt19937 rng(12345);  // fixed start value
    std::uniform_int_distribution<int> byte(0, 255);
    std::vector<Byte> garbage(97 * 206);
    for (Byte& b : garbage)
        b = static_cast<Byte>(byte(rng) < 64 ? 0xFF : byte(rng));
    for (std::size_t i = 0; i < garbage.size(); i += 97) {
        a.Feed(std::span<const Byte>(garbage).subspan(i, 97), 0ms);
        ASSERT_LE(a.Pending(), RequestAssembler::kMaxFrame);
    }
    a.Feed(std::vector<Byte>(5000, 0xFF), 0ms);
    EXPECT_LE(a.Pending(), RequestAssembler::kMaxPreamble);
    EXPECT_EQ(a.Feed(RequestWire("ReadPV"), 1s).size(), 1u);
}

}  // namespace
}  // namespace veld::sim
