// The real clock: waits in a local event loop that a condition, a wake or the time-out ends.
// Real time, so every wait here is a few milliseconds.

#include "link/real_clock.h"

#include <gtest/gtest.h>

#include "support/core_app.h"

namespace veld::link {
namespace {

using namespace std::chrono_literals;

class RealClockTest : public ::testing::Test {
protected:
    void SetUp() override { veld::testing::CoreApp(); }
    RealClock clock;
};

TEST_F(RealClockTest, expiresAfterTheTimeout_neverEarly) {
    const Micros start = clock.now();
    EXPECT_TRUE(clock.runFor(20ms, [] { return false; }));
    EXPECT_GE(clock.now() - start, 20ms);
    EXPECT_FALSE(clock.runFor(10s, [] { return true; })) << "a condition already met";
}

TEST_F(RealClockTest, wakeEndsTheWaitAsSoonAsTheConditionHolds) {
    bool done = false;
    int calls = 0;
    clock.schedule(5ms, [&] { ++calls; });  // an event that does not wake: the wait goes on
    clock.schedule(15ms, [&] {
        done = true;
        clock.wake();
    });
    const Micros start = clock.now();
    EXPECT_FALSE(clock.runFor(10s, [&] { return done; }));
    EXPECT_EQ(calls, 1);
    EXPECT_GE(clock.now() - start, 15ms);
    EXPECT_LT(clock.now() - start, 5s);
}

// A wait started from an event of another wait (a transaction started while the window waits
// for the next measurement): the inner one ends by its own rules, and the outer one still sees
// its condition when it was met during the inner wait.
TEST_F(RealClockTest, nestedWaits_endEachByItsOwnRules) {
    bool outerDone = false;
    bool innerExpired = false;
    Micros innerStart{0};
    Micros innerEnd{0};
    clock.schedule(5ms, [&] {
        clock.schedule(10ms, [&] {
            outerDone = true;  // met while the inner wait runs
            clock.wake();
        });
        innerStart = clock.now();
        innerExpired = clock.runFor(40ms, [] { return false; });
        innerEnd = clock.now();
    });
    const Micros start = clock.now();
    EXPECT_FALSE(clock.runFor(10s, [&] { return outerDone; }));
    EXPECT_TRUE(innerExpired) << "the wake was not the inner wait's";
    // Qt's precise timers keep whole milliseconds; how late the outer loop starts is up to the
    // machine's load, so the inner wait is measured from its own start.
    EXPECT_GE(innerEnd - innerStart, 39ms);
    EXPECT_LT(clock.now() - start, 5s) << "the outer wait noticed its condition";
}

TEST_F(RealClockTest, scheduledCallsDieWithTheClock) {
    bool ran = false;
    {
        RealClock shortLived;
        shortLived.schedule(1ms, [&] { ran = true; });
    }
    clock.pause(20ms);
    EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace veld::link
