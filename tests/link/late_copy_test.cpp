// A copy of an earlier reply that the line delivers while the next request waits: two reads of the
// same size look alike to device access, so only the time the bytes arrived can tell the copy
// from the answer. Paced simulator, virtual clock.

#include <gtest/gtest.h>

#include "link/device_access.h"
#include "link/link.h"
#include "support/sim_world.h"

namespace veld::link {
namespace {

using namespace std::chrono_literals;
using veld::testing::SimWorld;

constexpr std::uint16_t kFirst = 30;
constexpr std::uint8_t kCount = 16;

struct Outcome {
    Result<std::vector<Byte>> second = AccessFailure{};
    std::vector<Byte> expected;
    std::size_t bytesSeenBySecond = 0;  // its own reply and any copy that lands in its window
    QStringList messages;
};

// Two reads of 16 bytes at different addresses; the first reply comes again `gap` after it.
Outcome ReadTwiceWithTheFirstRepeated(std::chrono::milliseconds gap, std::size_t chunk) {
    SimWorld world;
    world.transport.SetDeliveryChunk(chunk);
    std::vector<Byte> image(2 * kCount);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<Byte>(0xA0 + i);
    EXPECT_TRUE(world.memory.Write(kFirst, image));
    world.faults.Queue(sim::Fault::Repeated(gap));

    Outcome o;
    std::size_t seen = 0;
    auto toLink = world.transport.onReceive;
    world.transport.onReceive = [&](std::span<const std::uint8_t> bytes) {
        seen += bytes.size();
        toLink(bytes);
    };
    EXPECT_TRUE(world.access.readBytes(kFirst, kCount).ok());
    seen = 0;
    o.second = world.access.readBytes(kFirst + kCount, kCount);
    o.bytesSeenBySecond = seen;
    o.expected.assign(image.begin() + kCount, image.end());
    o.messages = world.prompts.messages;
    return o;
}

// Both reads take 18 request bytes (13.75 ms on the line) and 29 reply bytes (22.15 ms); the next
// write comes 50 ms after the first reply, and its reply cannot begin before 12.37 ms after that
// (90 % of the line time). Copies up to 27 ms later end before the write and go with the purged
// input; later ones arrive whole or in part before the threshold. From about 59 ms (the copy in
// one piece, whose bytes' arrival is bounded at 90 % of a character apart) or 61 ms (byte by byte)
// the copy's delimiter comes after the threshold: timing cannot tell that copy from a reply.
TEST(LateCopy, aCopyArrivingBeforeTheRequestHasLeftNeverPassesAsItsReply) {
    const std::size_t kWholeReply = 13 + 2 + kCount;
    for (std::size_t chunk : {std::size_t{0}, std::size_t{4}, std::size_t{1}}) {
        bool landed = false;
        for (int ms = 0; ms <= 58; ++ms) {
            SCOPED_TRACE(::testing::Message()
                         << "gap " << ms << " ms, delivered in pieces of " << chunk);
            const Outcome o = ReadTwiceWithTheFirstRepeated(std::chrono::milliseconds(ms), chunk);
            ASSERT_TRUE(o.second.ok()) << o.second.failure().describe().toStdString();
            EXPECT_EQ(*o.second, o.expected);
            EXPECT_TRUE(o.messages.isEmpty()) << o.messages.join(u'|').toStdString();
            landed = landed || o.bytesSeenBySecond > kWholeReply;
        }
        // Else the sweep above would test nothing the purge before each write does not cover.
        EXPECT_TRUE(landed) << "no copy reached the second read, pieces of " << chunk;
    }
}

// A copy cut at the threshold: its tail comes right before the real reply. The tail alone is no
// valid frame, so it costs at most one attempt and is never the answer; a copy wholly dropped
// costs nothing.
TEST(LateCopy, aStraddlingCopyCostsAtMostARetry) {
    struct Case {
        std::chrono::milliseconds gap;
        int attempts;
    };
    // 35 ms: the copy is over before the threshold. 45 and 55 ms: it straddles it.
    for (const Case c : {Case{35ms, 1}, Case{45ms, 2}, Case{55ms, 2}}) {
        SCOPED_TRACE(c.gap.count());
        SimWorld world;
        std::vector<Byte> image(2 * kCount);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<Byte>(0x40 + 3 * i);
        ASSERT_TRUE(world.memory.Write(kFirst, image));
        world.faults.Queue(sim::Fault::Repeated(c.gap));
        ASSERT_TRUE(world.access.readBytes(kFirst, kCount).ok());
        const auto second = world.access.readBytes(kFirst + kCount, kCount);
        ASSERT_TRUE(second.ok()) << second.failure().describe().toStdString();
        EXPECT_EQ(*second, std::vector<Byte>(image.begin() + kCount, image.end()));
        EXPECT_EQ(world.link.attemptsMade(), c.attempts);
    }
}

}  // namespace
}  // namespace veld::link
