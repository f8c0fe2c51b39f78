#include "lin/functions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace veld::lin {
namespace {

// Segment i of a table and its derivatives at distance d from its start.
long double value(const SplineTable& s, std::size_t i, long double d) {
    return s.c0[i] + d * (s.c1[i] + d * (s.c2[i] + d * s.c3[i]));
}
long double slope(const SplineTable& s, std::size_t i, long double d) {
    return s.c1[i] + d * (2 * s.c2[i] + 3 * d * s.c3[i]);
}
long double curvature(const SplineTable& s, std::size_t i, long double d) {
    return 2 * s.c2[i] + 6 * d * s.c3[i];
}

TEST(Spline, pt100FromZeroToHundredAndItsEndSlopes) {
    const auto r = Spline(kCurvePt100, 0, 100);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r.messages.empty());
    const SplineTable& s = *r;
    EXPECT_EQ(s.s[0], 100.0L);
    EXPECT_NEAR(static_cast<double>(s.s[20]), 138.5, 1e-15);
    EXPECT_EQ(s.c0[0], 0.0L);
    EXPECT_EQ(s.c0[19], 95.0L);
    // Pt100 above 0: R(t) = 100 (1 + A t + B t^2), so R(1) - R(0) = 100 (A + B) and
    // R(100) - R(99) = 100 (A + 199 B): the end slopes use the first and last degree.
    constexpr long double A = 3.90802E-03L, B = -5.802E-07L;
    EXPECT_NEAR(static_cast<double>(s.startSlope), static_cast<double>(1 / (100 * (A + B))), 1e-12);
    EXPECT_NEAR(static_cast<double>(s.endSlope), static_cast<double>(1 / (100 * (A + 199 * B))),
                1e-12);
    // The clamped spline takes them as its end derivatives dt/ds.
    EXPECT_NEAR(static_cast<double>(slope(s, 0, 0)), static_cast<double>(s.startSlope), 1e-12);
    EXPECT_NEAR(static_cast<double>(slope(s, 19, s.s[20] - s.s[19])),
                static_cast<double>(s.endSlope), 1e-9);
}

TEST(Spline, passesThroughItsNodesAndIsTwiceContinuouslyDifferentiable) {
    struct Case {
        int code;
        long double lo, hi;
    };
    const Case cases[] = {
        {kCurvePt100, -200, 850}, {kCurveK, -200, 1370},    {kCurveS, 0, 1600},
        {kCurveB, 600, 1800},     {kCurveNi1000, -70, 250}, {kCurveT, -200, 400},
    };
    for (const auto& c : cases) {
        const auto r = Spline(c.code, c.lo, c.hi);
        ASSERT_TRUE(r) << c.code;
        EXPECT_TRUE(r.messages.empty()) << c.code;
        const SplineTable& s = *r;
        // Relative tolerances: the continuity conditions are met by the solution of the
        // 21 x 21 system up to its rounding, a few thousand extended epsilons of the
        // quantities compared (ranges of 1000 degrees, thermocouple signals of 1e-5 V).
        for (std::size_t i = 0; i < 20; ++i) {
            const long double h = s.s[i + 1] - s.s[i];
            EXPECT_EQ(value(s, i, 0), s.t[i]);
            const long double tNext = s.t[i + 1];
            EXPECT_NEAR(static_cast<double>(value(s, i, h)), static_cast<double>(tNext),
                        1e-12 * (1 + std::fabs(static_cast<double>(tNext))))
                << "code " << c.code << " node " << i + 1;
            if (i + 1 < 20) {
                const double s1 = static_cast<double>(slope(s, i + 1, 0));
                EXPECT_NEAR(static_cast<double>(slope(s, i, h)), s1, 1e-12 * std::fabs(s1))
                    << "code " << c.code << " C1 at " << i + 1;
                const double m1 = static_cast<double>(curvature(s, i + 1, 0));
                const double mScale = std::fabs(static_cast<double>(s.m[i])) + std::fabs(m1);
                EXPECT_NEAR(static_cast<double>(curvature(s, i, h)), m1, 1e-11 * mScale)
                    << "code " << c.code << " C2 at " << i + 1;
            }
        }
        EXPECT_NEAR(static_cast<double>(slope(s, 0, 0)), static_cast<double>(s.startSlope),
                    1e-12 * std::fabs(static_cast<double>(s.startSlope)));
    }
}

TEST(Spline, uploadImageHoldsTheBreakpointsAndSegmentsInSinglePrecision) {
    const auto r = Spline(kCurveK, 0, 1300);
    ASSERT_TRUE(r);
    const SegmentImage& image = r->image;
    for (std::size_t k = 0; k <= 20; ++k)
        EXPECT_EQ(image.groups[k].x, static_cast<float>(r->s[k]));
    for (std::size_t k = 0; k < 20; ++k) {
        EXPECT_EQ(image.groups[k].c0, static_cast<float>(r->c0[k]));
        EXPECT_EQ(image.groups[k].c3, static_cast<float>(r->c3[k]));
        // The transmitter's evaluation of the image passes through the nodes to single
        // precision: 1e-4 degrees is a few float steps at 1300.
        EXPECT_NEAR(static_cast<double>(EvalSegmentImage(image, r->s[k])),
                    static_cast<double>(r->t[k]), 1e-4);
    }
    EXPECT_EQ(image.groups[20].c0, 0.0f);
}

TEST(Spline, deviationFromTheExactInverseIsSmallForNarrowRanges) {
    const auto pt = Spline(kCurvePt100, 0, 100);
    ASSERT_TRUE(pt);
    EXPECT_LT(pt->deviation.max, 0.001L);
    EXPECT_LE(pt->deviation.rms, pt->deviation.max);
    EXPECT_GT(pt->deviation.rms, 0.0L);
    EXPECT_LT(ImageDeviation(pt->image, kCurvePt100, 0, 100).max, 0.001L);

    const auto k = Spline(kCurveK, -200, 1370);
    ASSERT_TRUE(k);
    // A full K range bends hard below 0: a degree of error there, but well under 2.
    EXPECT_GT(k->deviation.max, 0.1L);
    EXPECT_LT(k->deviation.max, 2.0L);
}

TEST(Spline, squareRootIsTakenOverTheRangeBuilt) {
    const auto r = Spline(kCurveSquareRoot, 0, 100);
    ASSERT_TRUE(r);
    // The root of a quarter of the range lies at half of it: the nodes are not the identity.
    EXPECT_NEAR(static_cast<double>(r->s[5]), 50, 1e-12);
}

TEST(Spline, badRangeOrCurveEndsTheBuild) {
    const std::string kEnd = "Chyba cteni v SPLUNIT1 prip.klonu,stiskni ENTER";
    const std::string kRange = "Chyba poc.intervalu nebo teploty nebo kroku";
    struct Case {
        int code;
        long double lo, hi;
        Messages shown;
    };
    const Case cases[] = {
        {kCurvePt100, -201, 851, {"Prekrocena dolni mez", "Prekrocena horni mez", kEnd}},
        // Empty beyond the limits: both checks of the one pass speak, then the build ends.
        {kCurvePt100, 900, 900, {kRange, "Prekrocena horni mez", kEnd}},
        {kCurvePt100, 100, 100, {kRange, kEnd}},
        {kCurvePt100, 100, 0, {kRange, kEnd}},
        {kCurvePt100, std::nanl(""), 100, {kRange, kEnd}},
        {kCurveReserved, 0, 100, {"Dany prubeh neni v programu jeste zadan", kEnd}},
        {kCurveB, 50, 1000, {"Prekrocena dolni mez", kEnd}},
    };
    for (const auto& c : cases) {
        const auto r = Spline(c.code, c.lo, c.hi);
        EXPECT_FALSE(r) << c.code << " " << static_cast<double>(c.lo);
        EXPECT_EQ(r.messages, c.shown) << c.code << " " << static_cast<double>(c.lo);
    }
}

}  // namespace
}  // namespace veld::lin
