#include "lin/functions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace veld::lin {
namespace {

constexpr double kFloatEpsilon = std::numeric_limits<float>::epsilon();

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

TEST(Spline, pt100FromZeroToHundred_endSlopesAndDeviation) {
    const auto r = Spline(kCurvePt100, 0, 100);
    ASSERT_TRUE(r);
    EXPECT_TRUE(r.messages.empty());
    const SplineTable& s = *r;
    EXPECT_EQ(std::tuple(s.s[0], s.c0[19]), std::tuple(100.0L, 95.0L));
    EXPECT_NEAR(static_cast<double>(s.s[20]), 138.5, 1e-15);
    // R(t) = 100 (1 + A t + B t^2): R(1) - R(0) = 100 (A + B), R(100) - R(99) = 100 (A + 199 B).
    constexpr long double A = 3.90802E-03L, B = -5.802E-07L;
    EXPECT_NEAR(static_cast<double>(s.startSlope), static_cast<double>(1 / (100 * (A + B))), 1e-12);
    EXPECT_NEAR(static_cast<double>(s.endSlope), static_cast<double>(1 / (100 * (A + 199 * B))),
                1e-12);
    EXPECT_NEAR(static_cast<double>(slope(s, 19, s.s[20] - s.s[19])),
                static_cast<double>(s.endSlope), 1e-9);
    EXPECT_LT(s.deviation.max, 0.001L);
    EXPECT_LE(s.deviation.rms, s.deviation.max);
    EXPECT_GT(s.deviation.rms, 0.0L);
    EXPECT_LT(ImageDeviation(s.image, kCurvePt100, 0, 100).max, 0.001L);

    // A full K range bends hard below 0: a degree of error there, but well under 2.
    const auto k = Spline(kCurveK, -200, 1370);
    ASSERT_TRUE(k);
    EXPECT_GT(k->deviation.max, 0.1L);
    EXPECT_LT(k->deviation.max, 2.0L);
    // The root of a quarter of the range lies at half of it: the nodes are not the identity.
    EXPECT_NEAR(static_cast<double>(Spline(kCurveSquareRoot, 0, 100)->s[5]), 50, 1e-12);
}

TEST(Spline, passesThroughItsNodesIsTwiceDifferentiableAndUploadsInSingles) {
    // clang-format off
    struct Case { int code; long double lo, hi; };
    const Case cases[] = {{kCurvePt100, -200, 850}, {kCurveK, -200, 1370}, {kCurveS, 0, 1600},
                          {kCurveB, 600, 1800}, {kCurveNi1000, -70, 250}, {kCurveT, -200, 400}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const auto r = Spline(c.code, c.lo, c.hi);
        ASSERT_TRUE(r);
        EXPECT_TRUE(r.messages.empty());
        const SplineTable& s = *r;
        // The continuity conditions hold up to the rounding of the 21 x 21 system: a few
        // thousand extended epsilons of the quantities compared.
        for (std::size_t i = 0; i < 20; ++i) {
            const long double h = s.s[i + 1] - s.s[i];
            EXPECT_EQ(value(s, i, 0), s.t[i]);
            const double tNext = static_cast<double>(s.t[i + 1]);
            EXPECT_NEAR(static_cast<double>(value(s, i, h)), tNext, 1e-12 * (1 + std::fabs(tNext)))
                << "node " << i + 1;
            if (i + 1 < 20) {
                const double s1 = static_cast<double>(slope(s, i + 1, 0));
                EXPECT_NEAR(static_cast<double>(slope(s, i, h)), s1, 1e-12 * std::fabs(s1))
                    << "C1 at " << i + 1;
                const double m1 = static_cast<double>(curvature(s, i + 1, 0));
                const double mScale = std::fabs(static_cast<double>(s.m[i])) + std::fabs(m1);
                EXPECT_NEAR(static_cast<double>(curvature(s, i, h)), m1, 1e-11 * mScale)
                    << "C2 at " << i + 1;
            }
            const SegmentGroup& g = s.image.groups[i];
            EXPECT_EQ(g.x, static_cast<float>(s.s[i]));
            EXPECT_EQ(g.c0, static_cast<float>(s.c0[i]));
            EXPECT_EQ(g.c3, static_cast<float>(s.c3[i]));
            // Evaluated as the transmitter does: off by the rounding of the breakpoint (times
            // the slope) and of the node's value to single precision.
            const long double ulps = std::fabs(s.s[i] * slope(s, i, 0)) + std::fabs(s.t[i]);
            EXPECT_NEAR(static_cast<double>(EvalSegmentImage(s.image, s.s[i])),
                        static_cast<double>(s.t[i]), 2 * kFloatEpsilon * static_cast<double>(ulps));
        }
        EXPECT_EQ(s.image.groups[20].x, static_cast<float>(s.s[20]));
        EXPECT_EQ(s.image.groups[20].c0, 0.0f);
        EXPECT_NEAR(static_cast<double>(slope(s, 0, 0)), static_cast<double>(s.startSlope),
                    1e-12 * std::fabs(static_cast<double>(s.startSlope)));
    }
}

TEST(Spline, badRangeOrCurveEndsTheBuild) {
    const std::string kEnd = "Chyba cteni v SPLUNIT1 prip.klonu,stiskni ENTER";
    const std::string kRange = "Chyba poc.intervalu nebo teploty nebo kroku";
    // clang-format off
    struct Case { int code; long double lo, hi; Messages shown; };
    const Case cases[] = {
        {kCurvePt100, -201, 851, {"Prekrocena dolni mez", "Prekrocena horni mez", kEnd}},
        // Empty beyond the limits: both checks of the one pass speak, then the build ends.
        {kCurvePt100, 900, 900, {kRange, "Prekrocena horni mez", kEnd}},
        {kCurvePt100, 100, 0, {kRange, kEnd}}, {kCurvePt100, std::nanl(""), 100, {kRange, kEnd}},
        {kCurveReserved, 0, 100, {"Dany prubeh neni v programu jeste zadan", kEnd}},
        {kCurveB, 50, 1000, {"Prekrocena dolni mez", kEnd}}};
    // clang-format on
    for (const auto& c : cases) {
        const auto r = Spline(c.code, c.lo, c.hi);
        EXPECT_FALSE(r) << c.code << " " << static_cast<double>(c.lo);
        EXPECT_EQ(r.messages, c.shown) << c.code << " " << static_cast<double>(c.lo);
    }
}

std::vector<Point> rising(int count) {
    std::vector<Point> points;
    for (int i = 0; i < count; ++i)
        points.push_back({static_cast<long double>(i) * 0.5L, static_cast<long double>(i * i)});
    return points;
}

TEST(Segments, shortTablesRepeatTheirLastSegment_fallingInputsAreReversed) {
    // segments: distinct ones; the last repeated up to 20
    // clang-format off
    struct Case { std::vector<Point> points; std::size_t segments; };
    // clang-format on
    const Case cases[] = {{rising(21), 20}, {rising(5), 4}, {{{3, 30}, {2, 20}, {1, 10}}, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.segments);
        const auto r = Segments(c.points);
        ASSERT_TRUE(r);
        EXPECT_TRUE(r.messages.empty());
        for (std::size_t k = c.segments; k < 20; ++k)
            EXPECT_EQ(r->groups[k].c1, r->groups[c.segments - 1].c1) << k;
        // Evaluated as the transmitter does, the table is straight and passes through the points.
        for (const Point& p : c.points)
            EXPECT_NEAR(static_cast<double>(EvalSegmentImage(*r, p.in)), static_cast<double>(p.out),
                        1e-5);
        EXPECT_EQ(r->groups[0].c2, 0.0f);
        EXPECT_EQ(r->groups[20].x,
                  static_cast<float>(std::max(c.points[0].in, c.points.back().in)));
    }
}

TEST(Segments, aFallIsNamed_refusalsAndArithmeticErrorsGiveNoTable) {
    const std::string kFall =
        "Průběh vstupní křivky není prostý v bodě 3.   Vstupní křivka musí "
        "mít stále rostoucí charakteristiku !!!";
    const std::string kCannot = "Nelze provést výpočet linearizace proložením lineárních úseků.";
    // Rise then fall: the input before the last fall is named and the table still built.
    const auto built = Segments({{1, 0}, {2, 1}, {1.5L, 2}, {3, 3}, {2.5L, 4}});
    ASSERT_TRUE(built);
    EXPECT_EQ(built.messages, Messages{kFall});
    EXPECT_EQ(built->groups[20].x, 2.5f);

    // clang-format off
    struct Case { std::vector<Point> points; Messages shown; };
    const Case cases[] = {
        {{{1, 2}}, {"Pro proložení lineárními přímkami jsou potřeba alespoň 2 body, soubor jich má 1."}},
        {rising(22), {"Maximální počet bodů pro linearizaci metodou proložení lineárními přímkami "
                      "v zadaných bodech je 21."}},
        // Equal neighbouring inputs, a slope or an input beyond the single range.
        {{{1, 0}, {2, 1}, {2, 2}, {3, 3}}, {kCannot}}, {{{0, 0}, {1e39L, 1}}, {kCannot}},
        {{{0, 0}, {1e-30L, 1e10L}, {1, 2e10L}}, {kCannot}},
        // The fall is named before any slope is computed.
        {{{1, 0}, {3, 1}, {2, 2}, {2, 3}}, {kFall, kCannot}}};
    // clang-format on
    for (const auto& c : cases) {
        const auto r = Segments(c.points);
        EXPECT_FALSE(r) << &c - cases;
        EXPECT_EQ(r.messages, c.shown) << &c - cases;
    }
}

}  // namespace
}  // namespace veld::lin
