#pragma once

#include <array>

namespace veld::lin {

inline constexpr int kSegmentCount = 20;

// One group of the transmitter's segment table, in upload order. On the segment starting at x
// the transmitter computes y = c0 + c1*d + c2*d^2 + c3*d^3 with d = input - x.
struct SegmentGroup {
    float x = 0, c3 = 0, c2 = 0, c1 = 0, c0 = 0;
};

// 20 segments plus group 20, whose x is the end breakpoint (its coefficients are unused).
struct SegmentImage {
    std::array<SegmentGroup, kSegmentCount + 1> groups{};
};

// The image evaluated as the transmitter does, in extended precision from its single-precision
// values: the segment whose start is the last one not above `input` (the first below x[0]).
long double EvalSegmentImage(const SegmentImage& image, long double input);

// The same in the transmitter's own arithmetic: every operation in single precision,
// c0 + d*(c1 + d*(c2 + d*c3)) with d = input - x.
float EvalSegmentImageSingle(const SegmentImage& image, float input);

}  // namespace veld::lin
