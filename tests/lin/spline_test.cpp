#include "lin_fixture.h"

#include <cmath>

namespace veld::lin {
namespace {

class Spline : public testing::LinTest {
protected:
    bool build(int code, long double lo, long double hi) {
        math.LinForward = 0;
        math.LinTask = 1;
        math.LinSource = 2;
        math.LinSensor = code;
        math.DisplayCurve = code;
        math.CurveRangeLo = lo;
        math.CurveRangeHi = hi;
        return math.BuildSplineTable();
    }
    // Segment i and its derivatives at distance d from its start.
    long double value(std::size_t i, long double d) const {
        return math.SplineC0[i] +
               d * (math.SplineC1[i] + d * (math.SplineC2[i] + d * math.SplineC3[i]));
    }
    long double slope(std::size_t i, long double d) const {
        return math.SplineC1[i] + d * (2 * math.SplineC2[i] + 3 * d * math.SplineC3[i]);
    }
    long double curvature(std::size_t i, long double d) const {
        return 2 * math.SplineC2[i] + 6 * d * math.SplineC3[i];
    }
};

TEST_F(Spline, pt100FromZeroToHundred) {
    ASSERT_TRUE(build(kCurvePt100, 0, 100));
    EXPECT_EQ(math.CurveError, 0);
    EXPECT_EQ(math.SegmentCount, 20);
    EXPECT_EQ(math.SplineS[0], 100.0L);
    EXPECT_NEAR(static_cast<double>(math.SplineS[20]), 138.5, 1e-15);
    EXPECT_EQ(math.SplineC0[0], 0.0L);
    EXPECT_EQ(math.SplineC0[19], 95.0L);
    EXPECT_TRUE(messages().empty());
    EXPECT_NEAR(static_cast<double>(math.LinStep), 100.0 / 900, 1e-18);
}

TEST_F(Spline, endSlopesUseTheFirstAndLastDegreeOfTheRange) {
    ASSERT_TRUE(build(kCurvePt100, 0, 100));
    // Pt100 above 0: R(t) = 100 (1 + A t + B t^2), so R(1) - R(0) = 100 (A + B) and
    // R(100) - R(99) = 100 (A + 199 B).
    constexpr long double A = 3.90802E-03L, B = -5.802E-07L;
    EXPECT_NEAR(static_cast<double>(math.SplineStartSlope),
                static_cast<double>(1 / (100 * (A + B))), 1e-12);
    EXPECT_NEAR(static_cast<double>(math.SplineEndSlope),
                static_cast<double>(1 / (100 * (A + 199 * B))), 1e-12);
    // The clamped spline takes them as its end derivatives dt/ds.
    EXPECT_NEAR(static_cast<double>(slope(0, 0)), static_cast<double>(math.SplineStartSlope),
                1e-12);
    const long double hLast = math.SplineS[20] - math.SplineS[19];
    EXPECT_NEAR(static_cast<double>(slope(19, hLast)), static_cast<double>(math.SplineEndSlope),
                1e-9);
}

TEST_F(Spline, passesThroughItsNodesAndIsTwiceContinuouslyDifferentiable) {
    struct Case {
        int code;
        long double lo, hi;
    };
    const Case cases[] = {
        {kCurvePt100, -200, 850}, {kCurveK, -200, 1370},    {kCurveS, 0, 1600},
        {kCurveB, 600, 1800},     {kCurveNi1000, -70, 250}, {kCurveT, -200, 400},
    };
    for (const auto& c : cases) {
        recorded.messages.clear();
        ASSERT_TRUE(build(c.code, c.lo, c.hi)) << c.code;
        EXPECT_TRUE(messages().empty()) << c.code;
        // Relative tolerances: the continuity conditions are met by the solution of the
        // 21 x 21 system up to its rounding, a few thousand extended epsilons of the
        // quantities compared (ranges of 1000 degrees, thermocouple signals of 1e-5 V).
        for (std::size_t i = 0; i < 20; ++i) {
            const long double h = math.SplineS[i + 1] - math.SplineS[i];
            EXPECT_EQ(value(i, 0), math.SplineT[i]);
            const long double tNext = math.SplineT[i + 1];
            EXPECT_NEAR(static_cast<double>(value(i, h)), static_cast<double>(tNext),
                        1e-12 * (1 + std::fabs(static_cast<double>(tNext))))
                << "code " << c.code << " node " << i + 1;
            if (i + 1 < 20) {
                const double s1 = static_cast<double>(slope(i + 1, 0));
                EXPECT_NEAR(static_cast<double>(slope(i, h)), s1, 1e-12 * std::fabs(s1))
                    << "code " << c.code << " C1 at " << i + 1;
                const double m1 = static_cast<double>(curvature(i + 1, 0));
                const double mScale =
                    std::fabs(static_cast<double>(math.SplineM[i])) + std::fabs(m1);
                EXPECT_NEAR(static_cast<double>(curvature(i, h)), m1, 1e-11 * mScale)
                    << "code " << c.code << " C2 at " << i + 1;
            }
        }
        EXPECT_NEAR(static_cast<double>(slope(0, 0)), static_cast<double>(math.SplineStartSlope),
                    1e-12 * std::fabs(static_cast<double>(math.SplineStartSlope)));
    }
}

TEST_F(Spline, uploadImageHoldsTheBreakpointsAndSegmentsInSinglePrecision) {
    ASSERT_TRUE(build(kCurveK, 0, 1300));
    const auto image = math.SplineImage();
    ASSERT_TRUE(image);
    for (std::size_t k = 0; k <= 20; ++k)
        EXPECT_EQ(image->groups[k].x, static_cast<float>(math.SplineS[k]));
    for (std::size_t k = 0; k < 20; ++k) {
        EXPECT_EQ(image->groups[k].c0, static_cast<float>(math.SplineC0[k]));
        EXPECT_EQ(image->groups[k].c3, static_cast<float>(math.SplineC3[k]));
        // The transmitter's evaluation of the image passes through the nodes to single
        // precision: 1e-4 degrees is a few float steps at 1300.
        EXPECT_NEAR(static_cast<double>(EvalSegmentImage(*image, math.SplineS[k])),
                    static_cast<double>(math.SplineT[k]), 1e-4);
    }
    EXPECT_EQ(image->groups[20].c0, 0.0f);
}

TEST_F(Spline, deviationFromTheExactInverseIsSmallForNarrowRanges) {
    ASSERT_TRUE(build(kCurvePt100, 0, 100));
    EXPECT_LT(math.SplineDeviation.max, 0.001L);
    EXPECT_LE(math.SplineDeviation.rms, math.SplineDeviation.max);
    EXPECT_GT(math.SplineDeviation.rms, 0.0L);
    const Deviation image = math.ImageDeviation(*math.SplineImage());
    EXPECT_LT(image.max, 0.001L);

    ASSERT_TRUE(build(kCurveK, -200, 1370));
    // A full K range bends hard below 0: a degree of error there, but well under 2.
    EXPECT_GT(math.SplineDeviation.max, 0.1L);
    EXPECT_LT(math.SplineDeviation.max, 2.0L);
}

TEST_F(Spline, badRangeOrCurveEndsTheBuildAndOffersNoTable) {
    const std::string kEnd = "Chyba cteni v SPLUNIT1 prip.klonu,stiskni ENTER";
    const std::string kRange = "Chyba poc.intervalu nebo teploty nebo kroku";
    struct Case {
        int code;
        long double lo, hi;
        std::vector<std::string> shown;
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
        // Each after a good build: its table must not survive for upload.
        ASSERT_TRUE(build(kCurvePt100, 0, 100));
        recorded.messages.clear();
        EXPECT_FALSE(build(c.code, c.lo, c.hi)) << c.code << " " << static_cast<double>(c.lo);
        EXPECT_EQ(math.CurveError, 1);
        EXPECT_EQ(messages(), c.shown) << c.code << " " << static_cast<double>(c.lo);
        EXPECT_EQ(math.SegmentCount, 20);
        EXPECT_FALSE(math.SplineImage());
    }
    EXPECT_TRUE(math.LimitError);  // from the last case
    // A fresh build clears the error.
    EXPECT_TRUE(build(kCurvePt100, 0, 100));
    EXPECT_EQ(math.CurveError, 0);
    EXPECT_TRUE(math.SplineImage());
}

}  // namespace
}  // namespace veld::lin
