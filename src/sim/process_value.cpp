#include "sim/process_value.h"

#include <algorithm>
#include <cmath>

namespace veld::sim {

namespace {

constexpr double kTwoPi = 6.283185307179586;

// The splitmix64 finalizer (Steele, Lea and Flood, 2014): a bijection that spreads every input
// bit over the whole word, so neighbouring moments give unrelated numbers.
std::uint64_t Mix(std::uint64_t z) {
    z += 0x9E37'79B9'7F4A'7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EBULL;
    return z ^ (z >> 31);
}

// The top 53 bits as a number in [-1, 1).
double Symmetric(std::uint64_t bits) {
    return static_cast<double>(bits >> 11) * 0x1.0p-52 - 1.0;
}

}  // namespace

ProcessWave::ProcessWave(WaveShape shape, std::uint64_t state) : shape_(shape), state_(state) {
    shape_.period = std::max(shape_.period, std::chrono::seconds(1));
    // Wave and noise together stay within half the span either side of the middle.
    shape_.amplitude = std::clamp(shape_.amplitude, 0.0, 0.5);
    shape_.noise = std::clamp(shape_.noise, 0.0, 0.5 - shape_.amplitude);
}

float ProcessWave::At(link::Micros now, float lo, float hi) const {
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return std::isfinite(lo) ? lo : 0.0f;
    const float low = std::min(lo, hi);
    const float high = std::max(lo, hi);
    // In double: the span of two finite floats can exceed the float range.
    const double span = static_cast<double>(high) - static_cast<double>(low);
    const double middle = (static_cast<double>(high) + static_cast<double>(low)) / 2.0;
    const std::int64_t period = link::Micros(shape_.period).count();
    const std::int64_t within = ((now.count() % period) + period) % period;
    const double wave =
        std::sin(kTwoPi * static_cast<double>(within) / static_cast<double>(period));
    const double noise = Symmetric(Mix(state_ ^ static_cast<std::uint64_t>(now.count())));
    const double value = middle + span * (shape_.amplitude * wave + shape_.noise * noise);
    // Rounding to float may step just past an end.
    return std::clamp(static_cast<float>(value), low, high);
}

}  // namespace veld::sim
