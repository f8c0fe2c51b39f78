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
// input; later ones begin before the threshold. From 60 ms (the copy in one piece, its first
// byte's arrival bounded at 90 % of a character a byte) or 62 ms (byte by byte) the copy begins
// after the threshold: timing cannot tell that copy from a reply.
TEST(LateCopy, aCopyArrivingBeforeTheRequestHasLeftNeverPassesAsItsReply) {
    const std::size_t kWholeReply = 13 + 2 + kCount;
    for (std::size_t chunk : {std::size_t{0}, std::size_t{4}, std::size_t{1}}) {
        bool landed = false;
        for (int ms = 0; ms <= 59; ++ms) {
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

// A copy cut by the threshold: the frame its early bytes began is dropped to its end, so the
// reply is taken at the first attempt. A copy whose head went with the purge before the write
// leaves a tail that nothing marks as a frame: it may cost a retry, and is never the answer.
TEST(LateCopy, aCopyCutByTheThresholdIsDroppedToItsEnd) {
    struct Case {
        std::chrono::milliseconds gap;
        std::size_t chunk;
        int maxAttempts;
    };
    const Case cases[] = {{35ms, 0, 1}, {45ms, 0, 1}, {58ms, 0, 1}, {55ms, 1, 1},
                          {60ms, 1, 1}, {58ms, 4, 1}, {45ms, 4, 2}, {45ms, 1, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.gap.count() << " ms, pieces of " << c.chunk);
        SimWorld world;
        world.transport.SetDeliveryChunk(c.chunk);
        std::vector<Byte> image(2 * kCount);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<Byte>(0x40 + 3 * i);
        ASSERT_TRUE(world.memory.Write(kFirst, image));
        world.faults.Queue(sim::Fault::Repeated(c.gap));
        ASSERT_TRUE(world.access.readBytes(kFirst, kCount).ok());
        const auto second = world.access.readBytes(kFirst + kCount, kCount);
        ASSERT_TRUE(second.ok()) << second.failure().describe().toStdString();
        EXPECT_EQ(*second, std::vector<Byte>(image.begin() + kCount, image.end()));
        EXPECT_LE(world.link.attemptsMade(), c.maxAttempts);
        EXPECT_TRUE(world.prompts.messages.isEmpty());
    }
}

}  // namespace
}  // namespace veld::link
