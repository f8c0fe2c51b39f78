// A copy of an earlier reply that the line delivers while the next request waits: two reads of the
// same size look alike to device access, so only the time the bytes arrived can tell the copy
// from the answer. Paced simulator, virtual clock.

#include <gtest/gtest.h>

#include <numeric>

#include "link/device_access.h"
#include "link/link.h"
#include "support/sim_world.h"

namespace veld::link {
namespace {

using namespace std::chrono_literals;

// Reads 16 bytes at 30, then 16 at 46, the first reply repeated `gap` after it. Checks that the
// second read returns its own bytes without a message; returns its attempts and the bytes it saw
// (its reply is 29).
std::pair<int, std::size_t> SecondReadAfterACopy(std::chrono::milliseconds gap, std::size_t chunk) {
    veld::testing::SimWorld world;
    world.transport.SetDeliveryChunk(chunk);
    std::vector<Byte> image(32);
    std::iota(image.begin(), image.end(), Byte{0xA0});
    EXPECT_TRUE(world.memory.Write(30, image));
    world.faults.Queue(sim::Fault::Repeated(gap));
    std::size_t seen = 0;
    world.transport.onReceive = [&seen, toLink = world.transport.onReceive](auto bytes) {
        seen += bytes.size();
        toLink(bytes);
    };
    EXPECT_TRUE(world.access.readBytes(30, 16).ok());
    seen = 0;
    const auto second = world.access.readBytes(46, 16);
    EXPECT_TRUE(second.ok() && *second == std::vector<Byte>(image.begin() + 16, image.end()));
    EXPECT_TRUE(world.prompts.messages.isEmpty());
    return {world.link.attemptsMade(), seen};
}

// Both requests are 18 bytes (13.75 ms on the line), both replies 29 (22.15 ms); the second write
// comes 50 ms after the first reply, and its reply cannot begin within 12.37 ms of it (90 % of the
// line time). Copies up to 27 ms later end before that write and go with the purged input; later
// ones begin before the threshold. From 60 ms (the copy in one piece, its first byte's arrival
// bounded at 90 % of a character a byte) or 62 ms (byte by byte) the copy begins after it: timing
// cannot tell that copy from a reply.
TEST(LateCopy, aCopyBegunBeforeTheRequestHasLeftNeverPassesAsItsReply) {
    for (std::size_t chunk : {0, 4, 1}) {
        bool landed = false;
        for (int ms = 0; ms <= 59; ++ms) {
            SCOPED_TRACE(::testing::Message() << "gap " << ms << " ms, pieces of " << chunk);
            landed =
                SecondReadAfterACopy(std::chrono::milliseconds(ms), chunk).second > 29 || landed;
        }
        EXPECT_TRUE(landed) << "no copy reached the second read: the sweep tests nothing";
    }
}

// A copy cut by the threshold is dropped to the end of the frame its early bytes began, so the
// reply is taken at once. A copy whose head went with the purge before the write leaves a tail
// that nothing marks as a frame: it may cost a retry.
TEST(LateCopy, aCopyCutByTheThresholdCostsNoRetry) {
    // clang-format off
    struct Case { std::chrono::milliseconds gap; std::size_t chunk; int maxAttempts; };
    // clang-format on
    for (const Case c : {Case{45ms, 0, 1}, Case{58ms, 0, 1}, Case{60ms, 1, 1}, Case{58ms, 4, 1},
                         Case{45ms, 4, 2}, Case{45ms, 1, 2}}) {
        SCOPED_TRACE(::testing::Message() << c.gap.count() << " ms, pieces of " << c.chunk);
        EXPECT_LE(SecondReadAfterACopy(c.gap, c.chunk).first, c.maxAttempts);
    }
}

}  // namespace
}  // namespace veld::link
