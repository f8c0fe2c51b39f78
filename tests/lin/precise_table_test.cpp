#include "lin/precise_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace veld::lin {
namespace {

// The transmitter's arithmetic, written here on its own: the segment whose breakpoint is the
// last one not above the input, its cubic by Horner's scheme, everything in single precision.
float transmitted(const SegmentImage& image, float input) {
    std::size_t k = 0;
    while (k < 19 && input >= image.groups[k + 1].x)
        ++k;
    const SegmentGroup& g = image.groups[k];
    const float d = input - g.x;
    return ((g.c3 * d + g.c2) * d + g.c1) * d + g.c0;
}

// Largest error at 9001 temperatures over lo..hi, each signal as the transmitter receives it.
double largestError(const SegmentImage& image, int code, long double lo, long double hi) {
    long double largest = 0;
    for (int j = 0; j <= 9000; ++j) {
        const long double t = lo + (hi - lo) * j / 9000;
        const float input = static_cast<float>(*Characteristic(code, t));
        largest = std::max(largest, std::fabs(transmitted(image, input) - t));
    }
    return static_cast<double>(largest);
}

long double ulp(float v) {
    return std::nextafter(std::fabs(v), INFINITY) - std::fabs(v);
}

// target 0: only "not worse than the spline"
// clang-format off
struct Case { int code; long double lo, hi; double target; };
// clang-format on

// Every curve over the range its entry checks allow (R and S from 0, where the sensor starts),
// the ranges with a target, and narrow ones down to the smallest span, some across a boundary
// where the characteristic jumps.
const Case kCases[] = {
    {kCurveN, -200, 1300, 0.002}, {kCurveK, -200, 1370, 0.002},     {kCurveT, -200, 400, 0},
    {kCurveJ, -100, 1200, 0.002}, {kCurveE, -200, 1000, 0},         {kCurveR, 0, 1760, 0},
    {kCurveS, 0, 1760, 0},        {kCurveS, 0, 1600, 0.001},        {kCurveB, 100, 1820, 0},
    {kCurveL, -200, 900, 0},      {kCurvePt100, -200, 850, 0.0002}, {kCurvePt1000, -200, 850, 0},
    {kCurveNi100, -70, 250, 0},   {kCurveNi100, -60, 180, 0.0001},  {kCurveNi1000, -70, 250, 0},
    {kCurveK, -50, 50, 0},        {kCurveJ, 710, 810, 0},           {kCurveS, 400, 900, 0},
    {kCurveL, 519, 619, 0},       {kCurvePt100, 0, 25, 0},          {kCurveNi1000, 200, 225, 0},
};

TEST(PreciseTable, meetsItsTargetsAndIsNeverWorseThanTheSpline) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::to_string(c.code) + ": " + std::to_string(static_cast<double>(c.lo)) +
                     ".." + std::to_string(static_cast<double>(c.hi)));
        const auto precise = PreciseTable(c.code, c.lo, c.hi);
        const auto spline = Spline(c.code, c.lo, c.hi);
        ASSERT_TRUE(precise);
        ASSERT_TRUE(spline);
        EXPECT_TRUE(precise.messages.empty());
        const double error = largestError(precise->image, c.code, c.lo, c.hi);
        EXPECT_LE(error, largestError(spline->image, c.code, c.lo, c.hi));
        if (c.target > 0) {
            EXPECT_LE(error, c.target);
        }
        EXPECT_EQ(static_cast<double>(SingleDeviation(precise->image, c.code, c.lo, c.hi).max),
                  error);

        // Uploaded as the spline is: breakpoints rising from the range's start to its end.
        const auto& g = precise->image.groups;
        EXPECT_EQ(g[0].x, static_cast<float>(*Characteristic(c.code, c.lo)));
        EXPECT_EQ(g[20].x, static_cast<float>(*Characteristic(c.code, c.hi)));
        for (std::size_t k = 0; k < 20; ++k)
            EXPECT_LT(g[k].x, g[k + 1].x) << k;
    }
}

// Neighbours meet within the rounding of their singles, except where the characteristic
// itself jumps (J at 760, R and S at their three boundaries).
TEST(PreciseTable, segmentsMeetExceptWhereTheCharacteristicJumps) {
    // clang-format off
    struct Joints { int code; long double lo, hi; std::vector<long double> jumps; };
    const Joints cases[] = {{kCurveK, -200, 1370, {}}, {kCurveN, -200, 1300, {}},
                            {kCurveJ, -100, 1200, {760}}, {kCurveS, 0, 1760, {630, 1064, 1665}}};
    // clang-format on
    for (const Joints& c : cases) {
        SCOPED_TRACE(c.code);
        const auto r = PreciseTable(c.code, c.lo, c.hi);
        ASSERT_TRUE(r);
        const auto& g = r->image.groups;
        std::size_t apart = 0;
        for (std::size_t k = 1; k < 20; ++k) {
            const SegmentGroup& left = g[k - 1];
            const long double d = static_cast<long double>(g[k].x) - left.x;
            const long double end = left.c0 + d * (left.c1 + d * (left.c2 + d * left.c3));
            const long double gap = std::fabs(end - g[k].c0);
            bool atJump = false;
            for (long double b : c.jumps)
                atJump =
                    atJump || std::fabs(*Characteristic(c.code, b) - g[k].x) <= 2 * ulp(g[k].x);
            if (!atJump && gap > 1e-5L + 2 * ulp(g[k].c0))
                ++apart;
        }
        EXPECT_EQ(apart, 0u);
        // The first boundary where J, R and S jump is a breakpoint of its own.
        if (!c.jumps.empty()) {
            const float x = static_cast<float>(*Characteristic(c.code, c.jumps[0]));
            EXPECT_NE(std::find_if(g.begin(), g.end(),
                                   [&](const SegmentGroup& s) {
                                       return s.x == std::nextafter(x, INFINITY);
                                   }),
                      g.end());
        }
    }
}

TEST(PreciseTable, otherCodesAndRangesOutsideTheSensorGiveNoTableAndSayWhy) {
    // clang-format off
    struct Refusal { int code; long double lo, hi; std::string said; };
    // clang-format on
    const Refusal cases[] = {
        {kCurveFileLine, 0, 100,
         "Přesnou linearizaci lze spočítat jen pro termočlánky a odporové teploměry (průběh 0 až "
         "12), ne pro průběh 14."},
        {kCurveReserved, 0, 100, "ne pro průběh 13."},
        {kCurveSquareRoot, 0, 100, "ne pro průběh 15."},
        {kCurvePt100, -201, 850,
         "Přesnou linearizaci nelze spočítat pro rozsah -201 až 850 °C: začátek musí být pod "
         "koncem a oba v mezích čidla -200 až 850 °C."},
        {kCurveS, -50, 500, "rozsah -50 až 500 °C"},
        {kCurveK, 100, 100, "rozsah 100 až 100 °C"},
        {kCurveK, std::nanl(""), 100, "rozsah NAN až 100 °C"},
    };
    for (const Refusal& c : cases) {
        const auto r = PreciseTable(c.code, c.lo, c.hi);
        EXPECT_FALSE(r) << c.said;
        ASSERT_EQ(r.messages.size(), 1u) << c.said;
        EXPECT_NE(r.messages[0].find(c.said), std::string::npos) << r.messages[0];
    }
}

}  // namespace
}  // namespace veld::lin
