#include "lin/lin_math.h"

#include <gtest/gtest.h>

// The cells over the plain functions: what each routine reads and leaves behind.
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

TEST_F(Cells, characteristicReadsItsCellsAndAnUnknownCodeKeepsTheResult) {
    math.CurveRangeLo = 4;
    math.CurveRangeHi = 20;
    EXPECT_NEAR(static_cast<double>(math.SignalAt(kCurveSquareRoot, 8)), 12.0, 1e-15);
    store.EndLineInSlope = 0.5L;
    store.EndLineInOffset = -1;
    EXPECT_EQ(math.SignalAt(kCurveFileLine, 10), 4.0L);
    EXPECT_EQ(math.TemperatureOf(kCurveFileLine, 10), 4.0L);
    math.DisplayCurve = kCurvePt100;
    EXPECT_EQ(math.ZPPrepoc(100), static_cast<float>(*Characteristic(kCurvePt100, 100)));
    EXPECT_EQ(math.CurveError, 0);

    math.CurveResult = 42;
    math.InverseResult = 7;
    math.SignalAt(kCurveReserved, 100);
    math.TemperatureOf(17, 1);
    EXPECT_EQ(math.CurveResult, 42.0L);
    EXPECT_EQ(math.InverseResult, 7.0L);
    EXPECT_EQ(math.CurveError, 1);
    EXPECT_EQ(messages(), Messages(2, "Dany prubeh neni v programu jeste zadan"));
}

TEST_F(Cells, sensorLimitsNameTheExceededEnds) {
    math.CurveRangeLo = -250;
    math.CurveRangeHi = 900;
    EXPECT_FALSE(math.CheckSensorLimits(-200, 850));
    EXPECT_TRUE(math.LimitError);
    EXPECT_EQ(messages(), (Messages{"Prekrocena dolni mez", "Prekrocena horni mez"}));

    recorded.messages.clear();
    math.LimitError = false;
    math.CurveRangeLo = -200;
    EXPECT_TRUE(math.CheckSensorLimits(-200, 900));  // the limits themselves are allowed
    EXPECT_FALSE(math.LimitError);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Cells, failedSplineLeavesNoTableForUpload) {
    ASSERT_TRUE(build(kCurvePt100, 0, 100));
    const auto plain = Spline(kCurvePt100, 0, 100);
    EXPECT_EQ(math.SegmentCount, 20);
    EXPECT_EQ(math.SplineS, plain->s);
    EXPECT_EQ(math.SplineC1, plain->c1);
    EXPECT_NEAR(static_cast<double>(math.LinStep), 100.0 / 900, 1e-18);
    EXPECT_LT(math.ImageDeviation(*math.SplineImage()).max, 0.001L);

    EXPECT_FALSE(build(kCurveB, 50, 1000));
    EXPECT_EQ(math.CurveError, 1);
    EXPECT_TRUE(math.LimitError);
    EXPECT_EQ(math.SegmentCount, 20);
    EXPECT_FALSE(math.SplineImage());
    EXPECT_EQ(messages(), (Messages{"Prekrocena dolni mez",
                                    "Chyba cteni v SPLUNIT1 prip.klonu,stiskni ENTER"}));

    EXPECT_TRUE(build(kCurvePt100, 0, 100));  // clears the error
    EXPECT_EQ(math.CurveError, 0);
    EXPECT_FALSE(math.LimitError);
}

TEST_F(Cells, fitReadsThePointStoreAndItsCells) {
    ASSERT_TRUE(store.load({{0, 10}, {1, 20}, {2, 30}, {3, 40}, {4, 50}}));
    math.LinStep = 0.4L;
    math.CurveRangeLo = 10;
    math.CurveRangeHi = 50;
    math.PolyDegree = 3;
    math.ShowFitDeviation = false;
    ASSERT_TRUE(math.FitPolynomial());
    EXPECT_TRUE(messages().empty());  // the deviation is not asked for
    EXPECT_EQ(math.UploadDegree, 3);
    EXPECT_NEAR(static_cast<double>(math.EvalFit(2.5L)), 35, 1e-9);
    const std::vector<float> upload = math.UploadCoefficients();
    ASSERT_EQ(upload.size(), 4u);
    EXPECT_NEAR(upload[2], 10.0f, 1e-5f);  // a_1, second from the end
    EXPECT_NEAR(upload[3], 10.0f, 1e-5f);  // a_0 last

    math.LinStep = 50;  // larger than the range
    EXPECT_FALSE(math.FitPolynomial());
    EXPECT_EQ(math.CurveError, 1);
    EXPECT_EQ(math.PolyCoefficients[1], 0.0L);
    EXPECT_EQ(messages(), (Messages{"Chyba teploty", "Chyba v datech pro linearizaci."}));
}

TEST_F(Cells, segmentsLeaveTheStoreAndAFailedImageAlone) {
    ASSERT_TRUE(store.load({{3, 30}, {2, 20}, {1, 10}}));
    SegmentImage image;
    ASSERT_TRUE(math.BuildLineSegments(image));
    EXPECT_EQ(image.groups[0].x, 1.0f);
    EXPECT_EQ(store.PointsIn[1], 3.0L);  // reversed for the table only

    image.groups[0].x = 123;
    store.PointCount = 1;
    EXPECT_FALSE(math.BuildLineSegments(image));
    EXPECT_EQ(math.CurveError, 1);
    EXPECT_EQ(image.groups[0].x, 123.0f);
}

}  // namespace
}  // namespace veld::lin
