#include "lin/lin_math.h"

#include <gtest/gtest.h>

#include <tuple>

// The cells over the plain functions: what a failed routine leaves behind.
namespace veld::lin {
namespace {

class Cells : public ::testing::Test {
protected:
    RecordingMessages recorded;
    PointStore store;
    LinMath math{recorded, store};
    const Messages& messages() const { return recorded.messages; }
    bool build(int code, long double lo, long double hi) {
        math.LinSensor = math.DisplayCurve = code;
        math.CurveRangeLo = lo;
        math.CurveRangeHi = hi;
        return math.BuildSplineTable();
    }
};

TEST_F(Cells, unknownCodeKeepsTheResultsAndSaysSo) {
    math.CurveResult = 42;
    math.InverseResult = 7;
    math.SignalAt(kCurveReserved, 100);
    math.LinSensor = math.DisplayCurve = 17;
    math.InverseSignal = 1;
    math.vypocet_inverz();
    EXPECT_EQ(std::tuple(math.CurveResult, math.InverseResult, math.CurveError),
              std::tuple(42.0L, 7.0L, 1));
    EXPECT_EQ(messages(), Messages(2, "Dany prubeh neni v programu jeste zadan"));
}

TEST_F(Cells, failedSplineLeavesNoTableForUpload) {
    ASSERT_TRUE(build(kCurvePt100, 0, 100));
    ASSERT_TRUE(math.SplineImage());
    EXPECT_FALSE(build(kCurveB, 50, 1000));
    EXPECT_EQ(std::tuple(math.CurveError, math.LimitError), std::tuple(1, true));
    EXPECT_FALSE(math.SplineImage());
    EXPECT_TRUE(build(kCurvePt100, 0, 100));  // clears the error
    EXPECT_EQ(std::tuple(math.CurveError, math.LimitError), std::tuple(0, false));
}

TEST_F(Cells, failedFitOrSegmentsLeaveNothingToUpload) {
    ASSERT_TRUE(store.load({{0, 10}, {1, 20}, {2, 30}, {3, 40}, {4, 50}}));
    math.CurveRangeLo = 10;
    math.CurveRangeHi = 50;
    math.PolyDegree = 3;
    math.ShowFitDeviation = false;
    math.LinStep = 0.4L;
    ASSERT_TRUE(math.FitPolynomial());
    EXPECT_TRUE(messages().empty());  // the deviation is not asked for
    math.LinStep = 50;                // larger than the range
    EXPECT_FALSE(math.FitPolynomial());
    EXPECT_EQ(std::tuple(math.CurveError, math.PolyCoefficients[1]), std::tuple(1, 0.0L));
    EXPECT_EQ(messages(), (Messages{"Chyba teploty", "Chyba v datech pro linearizaci."}));

    SegmentImage image;
    image.groups[0].x = 123;
    store.PointCount = 1;
    EXPECT_FALSE(math.BuildLineSegments(image));
    EXPECT_EQ(image.groups[0].x, 123.0f);
}

}  // namespace
}  // namespace veld::lin
