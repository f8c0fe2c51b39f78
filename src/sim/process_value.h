#pragma once

// A process value that moves, so the trend of continuous measurement can be watched without
// hardware: a slow sine over the stored range with a little noise on it.

#include <chrono>
#include <cstdint>

#include "link/clock.h"

namespace veld::sim {

struct WaveShape {
    std::chrono::seconds period{60};  // forty measurements of 1.5 s a cycle
    double amplitude = 0.4;           // of the range's span, around its middle
    double noise = 0.02;              // at most this part of the span, either way
};

// The value at a moment of the simulator's clock. The noise comes from a counter-based
// generator: the moment and a fixed state are mixed into the number, so the same moment always
// gives the same value (a rerun under the virtual clock draws the same trend) and reading it
// changes nothing.
class ProcessWave {
public:
    static constexpr std::uint64_t kDefaultState = 0x5645'4C44'7472'656EULL;

    explicit ProcessWave(WaveShape shape = {}, std::uint64_t state = kDefaultState);

    // Inside [min(lo, hi), max(lo, hi)] always; for a range that is not finite, `lo` when that
    // is finite, else 0.
    float At(link::Micros now, float lo, float hi) const;

    const WaveShape& Shape() const { return shape_; }

private:
    WaveShape shape_;
    std::uint64_t state_;
};

}  // namespace veld::sim
