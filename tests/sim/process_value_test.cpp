#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "link/dev_float.h"
#include "sim/device.h"
#include "sim/process_value.h"

namespace veld::sim {
namespace {

using namespace std::chrono_literals;

// A day of ticks of 1.5 s, each a little late by an amount that is not a round number.
link::Micros Moment(int i) {
    return link::Micros(1'500'000LL * i + (i * 7919LL) % 100'000);
}

TEST(ProcessWaveTest, staysInsideTheRangeAndUsesMostOfIt_orGivesItsBegin) {
    struct Case {
        float lo, hi;
    };
    const ProcessWave wave;
    for (const Case c : {Case{0.0f, 100.0f}, Case{-200.0f, 850.0f}, Case{100.0f, 0.0f},
                         Case{4.0f, 4.000001f}, Case{-3.0e38f, 3.0e38f}, Case{25.0f, 25.0f}}) {
        const float low = std::min(c.lo, c.hi);
        const float high = std::max(c.lo, c.hi);
        float seenMin = high;
        float seenMax = low;
        for (int i = 0; i < 57'600; ++i) {
            const float v = wave.At(Moment(i), c.lo, c.hi);
            ASSERT_TRUE(v >= low && v <= high) << v << " outside " << c.lo << ".." << c.hi;
            seenMin = std::min(seenMin, v);
            seenMax = std::max(seenMax, v);
        }
        // Wave 0.4 and noise 0.02 of the span either way: at least 80 % of it is swept.
        const double span = static_cast<double>(high) - low;
        EXPECT_GE(static_cast<double>(seenMax) - seenMin, 0.8 * span) << c.lo << ".." << c.hi;
    }
    // A range that is not finite gives its begin, or zero.
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(wave.At(3s, 10.0f, inf), 10.0f);
    EXPECT_EQ(wave.At(3s, std::numeric_limits<float>::quiet_NaN(), 10.0f), 0.0f);
    EXPECT_EQ(wave.At(3s, -inf, inf), 0.0f);
}

TEST(ProcessWaveTest, theSameMomentGivesTheSameValueAndTheNoiseIsNotAPattern) {
    const ProcessWave a;
    const ProcessWave b;
    const ProcessWave other(WaveShape{}, 1);
    int differ = 0;
    int rises = 0;
    const ProcessWave flat(WaveShape{60s, 0.0, 0.1});
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(a.At(Moment(i), 0.0f, 100.0f), b.At(Moment(i), 0.0f, 100.0f));
        differ += a.At(Moment(i), 0.0f, 100.0f) != other.At(Moment(i), 0.0f, 100.0f);
        // Without the wave the steps are noise alone: they rise about as often as they fall.
        rises += flat.At(Moment(i + 1), 0.0f, 1.0f) > flat.At(Moment(i), 0.0f, 1.0f);
    }
    EXPECT_GT(differ, 990);
    EXPECT_NEAR(rises, 500, 60);
}

TEST(ProcessWaveTest, readPvFollowsTheWaveAtTheTimeOfTheRequest) {
    MemoryImage memory;
    Device device(memory);
    memory.SetReal(model::eeprom::kRangeBegin.address, 200.0f);
    memory.SetReal(model::eeprom::kRangeEnd.address, 400.0f);
    const ProcessWave wave(WaveShape{60s, 0.4, 0.0});
    device.SetProcessWave(wave);
    for (const link::Micros at : {0us, link::Micros(15s), link::Micros(45s)}) {
        Request request;
        request.command = link::FindCommand("ReadPV")->code;
        request.firstByteAt = at;
        const std::vector<Byte> reply = device.Handle(request);
        // Preamble, delimiter, address, command, count, response code, status, then the unit
        // code and the value.
        const std::size_t value = kDefaultReplyPreamble + 11;
        ASSERT_GE(reply.size(), value + 5);
        EXPECT_EQ(link::DecodePvFloat(
                      {reply[value], reply[value + 1], reply[value + 2], reply[value + 3]}),
                  wave.At(at, 200.0f, 400.0f));
    }
    // Three quarters of the period in: the trough, 300 - 0.4 * 200.
    EXPECT_FLOAT_EQ(device.ProcessValue(), 220.0f);
    device.SetProcessValue(12.5f);  // a fixed value still wins
    EXPECT_EQ(device.ProcessValue(), 12.5f);
}

}  // namespace
}  // namespace veld::sim
