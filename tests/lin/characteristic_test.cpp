#include "lin_fixture.h"

#include <cmath>

namespace veld::lin {
namespace {

using testing::LinTest;
using Characteristic = LinTest;
using Inverse = LinTest;

TEST_F(Characteristic, publishedValuesOfEveryCurve) {
    // Expected values carry five significant digits; the tolerance is half their last digit.
    struct Case {
        int code;
        long double t;
        long double expected;  // mV for thermocouples, ohms for resistance thermometers
        long double halfDigit;
    };
    const Case cases[] = {
        {kCurveK, 100, 4.0953L, 0.00005L},   {kCurveK, 1000, 41.269L, 0.0005L},
        {kCurveJ, 100, 5.2677L, 0.00005L},   {kCurveR, 1000, 10.503L, 0.0005L},
        {kCurveS, 1000, 9.5847L, 0.00005L},  {kCurveB, 1000, 4.8326L, 0.00005L},
        {kCurveL, 100, 6.8417L, 0.00005L},   {kCurveN, 100, 2.7736L, 0.00005L},
        {kCurveT, 100, 4.2773L, 0.00005L},   {kCurveE, 100, 6.3171L, 0.00005L},
        {kCurvePt100, 100, 138.50L, 0.005L}, {kCurvePt100, -100, 60.254L, 0.0005L},
        {kCurveNi100, 100, 161.78L, 0.005L},
    };
    for (const auto& c : cases) {
        const long double scale = c.code <= kCurveL ? 1000 : 1;
        EXPECT_NEAR(static_cast<double>(math.SignalAt(c.code, c.t) * scale),
                    static_cast<double>(c.expected), static_cast<double>(c.halfDigit))
            << "code " << c.code << " at " << static_cast<double>(c.t);
    }
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(math.CurveError, 0);
}

TEST_F(Characteristic, everyCoefficientSetAgainstAnIndependentEvaluation) {
    // Reference values worked out from the coefficient tables in 30-digit arithmetic, at
    // temperatures where the highest powers weigh most: a wrong digit anywhere in a set moves
    // the result by far more than 1e-13 of it, while extended rounding stays below 1e-16.
    struct Case {
        int code;
        long double t;
        long double exact;  // volts or ohms
    };
    const Case cases[] = {
        {kCurveN, -250, -0.00431330201018347167969L},
        {kCurveN, 1250, 0.0456819169102799797058L},
        {kCurveK, -180, -0.00555020805849527534617L},
        {kCurveK, 50, 0.00202244991229410721871L},
        {kCurveK, 1300, 0.05239848336833403656L},
        {kCurveT, -190, -0.00543855331703398664463L},
        {kCurveT, 350, 0.0178163667988041039062L},
        {kCurveJ, 700, 0.0391302203142817463L},
        {kCurveJ, 1100, 0.0637772808069448L},
        {kCurveE, -180, -0.00827323011763933241115L},
        {kCurveE, 900, 0.06878309447510935533L},
        {kCurveR, 500, 0.00447055090625L},
        {kCurveR, 900, 0.0092033501126L},
        {kCurveR, 1500, 0.01744473114439125L},
        {kCurveR, 1740, 0.0207475259329875L},
        {kCurveS, 500, 0.004233593015625L},
        {kCurveS, 900, 0.00844831961L},
        {kCurveS, 1500, 0.01557649341457425L},
        {kCurveS, 1740, 0.0183936802821375L},
        {kCurveB, 1700, 0.0124263401288322715347L},
        {kCurveL, 800, 0.06648362030592L},
        {kCurvePt100, -150, 39.7136734375L},
        {kCurvePt100, 600, 313.594L},
        {kCurveNi100, -60, 69.520259488L},
        {kCurveNi100, 240, 278.868110848L},
        // Range ends belong to the lower set; the upper set differs there by 2e-9 of the value
        // or more.
        {kCurveR, 630, 0.0059245830428010693012L},
        {kCurveR, 1064, 0.0113580460265524736L},
        {kCurveR, 1665, 0.019738670497L},
        {kCurveJ, 760, 0.04292195701579983090876416L},
    };
    for (const auto& c : cases) {
        const long double got = math.SignalAt(c.code, c.t);
        EXPECT_LE(std::fabs(got - c.exact), 1e-13L * std::fabs(c.exact))
            << "code " << c.code << " at " << static_cast<double>(c.t) << ": "
            << static_cast<double>(got);
    }
}

TEST_F(Characteristic, thousandOhmSensorsAreTenTimesTheHundredOhmOnes) {
    for (long double t : {-70.0L, 0.0L, 100.0L, 250.0L}) {
        EXPECT_NEAR(static_cast<double>(math.SignalAt(kCurvePt1000, t)),
                    static_cast<double>(10 * math.SignalAt(kCurvePt100, t)), 1e-12);
        EXPECT_NEAR(static_cast<double>(math.SignalAt(kCurveNi1000, t)),
                    static_cast<double>(10 * math.SignalAt(kCurveNi100, t)), 1e-12);
    }
}

TEST_F(Characteristic, zeroDegreesGivesExactlyZeroVoltsAndHundredOhms) {
    for (CurveCode code : {kCurveN, kCurveK, kCurveT, kCurveE, kCurveJ, kCurveR, kCurveS, kCurveL})
        EXPECT_EQ(math.SignalAt(code, 0), 0.0L) << code;
    EXPECT_EQ(math.SignalAt(kCurvePt100, 0), 100.0L);
    EXPECT_EQ(math.SignalAt(kCurveNi100, 0), 100.0L);
    // Both platinum formulas meet there.
    EXPECT_NEAR(static_cast<double>(math.SignalAt(kCurvePt100, -1e-9L)), 100.0, 1e-9);
}

TEST_F(Characteristic, squareRootCurveAndItsEnds) {
    math.CurveRangeLo = 4;
    math.CurveRangeHi = 20;
    EXPECT_EQ(math.SignalAt(kCurveSquareRoot, 4), 4.0L);
    EXPECT_EQ(math.SignalAt(kCurveSquareRoot, 20), 20.0L);
    EXPECT_EQ(math.SignalAt(kCurveSquareRoot, 3), 3.0L);
    EXPECT_EQ(math.SignalAt(kCurveSquareRoot, 25), 25.0L);
    // A quarter of the span in gives half of it out.
    EXPECT_NEAR(static_cast<double>(math.SignalAt(kCurveSquareRoot, 8)), 12.0, 1e-15);
}

TEST_F(Characteristic, fileLineIdentityAndTheWindowsSinglePrecision) {
    store.EndLineInSlope = 0.5L;
    store.EndLineInOffset = -1;
    EXPECT_EQ(math.SignalAt(kCurveFileLine, 10), 4.0L);
    EXPECT_EQ(math.SignalAt(kCurveIdentity, -12.5L), -12.5L);
    math.DisplayCurve = kCurvePt100;
    EXPECT_EQ(math.ZPPrepoc(100), static_cast<float>(math.SignalAt(kCurvePt100, 100)));
}

TEST_F(Characteristic, unknownCodeKeepsTheResultAndSetsTheError) {
    for (int code : {static_cast<int>(kCurveReserved), 17, 255, -1}) {
        recorded.messages.clear();
        math.CurveError = 0;
        math.CurveResult = 42;
        math.SignalAt(code, 100);
        EXPECT_EQ(math.CurveResult, 42.0L) << code;
        EXPECT_EQ(math.CurveError, 1) << code;
        EXPECT_EQ(messages(), std::vector<std::string>{"Dany prubeh neni v programu jeste zadan"});
    }
}

TEST_F(Characteristic, sensorLimitsNameTheExceededEnds) {
    math.CurveRangeLo = -250;
    math.CurveRangeHi = 900;
    EXPECT_FALSE(math.CheckSensorLimits(-200, 850));
    EXPECT_TRUE(math.LimitError);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Prekrocena dolni mez", "Prekrocena horni mez"}));

    recorded.messages.clear();
    math.LimitError = false;
    math.CurveRangeLo = -200;
    math.CurveRangeHi = 850;
    EXPECT_TRUE(math.CheckSensorLimits(-200, 850));  // the limits themselves are allowed
    EXPECT_FALSE(math.LimitError);
    EXPECT_TRUE(messages().empty());
}

TEST_F(Inverse, roundTripsToTheThousandthOverEverySearchInterval) {
    // Temperatures on the 0.001 grid: the inverse must return them exactly after its
    // rounding. The odd step visits every region of every curve, both ends included.
    for (int code = kCurveN; code <= kCurveNi1000; ++code) {
        const auto interval = InverseSearchInterval(code);
        ASSERT_TRUE(interval);
        int failures = 0;
        for (long double t = interval->lo;; t += 0.371L) {
            const long double grid = std::round(std::fmin(t, interval->hi) * 1000) / 1000;
            const long double back = math.TemperatureOf(code, math.SignalAt(code, grid));
            if (std::fabs(back - grid) > 1e-9L && ++failures <= 3)
                ADD_FAILURE() << "code " << code << ": " << static_cast<double>(grid) << " -> "
                              << static_cast<double>(back);
            if (t >= interval->hi)
                break;
        }
        EXPECT_EQ(failures, 0) << "code " << code;
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(Inverse, lowEndOfTypeBIsFoundExactly) {
    // Stopping on the signal difference ended this search more than 100 degrees off.
    EXPECT_EQ(math.TemperatureOf(kCurveB, math.SignalAt(kCurveB, 100.5L)), 100.5L);
    EXPECT_EQ(math.TemperatureOf(kCurveS, math.SignalAt(kCurveS, 27.263L)), 27.263L);
}

TEST_F(Inverse, squareRootSearchesTheRange) {
    for (long double x : {4.5L, 8.0L, 12.345L, 19.999L}) {
        math.CurveRangeLo = 4;
        math.CurveRangeHi = 20;
        const long double s = math.SignalAt(kCurveSquareRoot, x);
        EXPECT_EQ(math.TemperatureOf(kCurveSquareRoot, s), x);
    }
    // Outside its range the curve is the identity, and so is its inverse.
    EXPECT_EQ(math.TemperatureOf(kCurveSquareRoot, 2.5L), 2.5L);
    EXPECT_EQ(math.TemperatureOf(kCurveSquareRoot, 30), 30.0L);
}

TEST_F(Inverse, lineAndIdentityNeedNoSearch) {
    store.EndLineInSlope = 2;
    store.EndLineInOffset = 0.00049L;
    EXPECT_EQ(math.TemperatureOf(kCurveFileLine, 1.5L), 3.0L);          // 3.00049 rounded
    EXPECT_EQ(math.TemperatureOf(kCurveIdentity, 1.23456L), 1.23456L);  // not rounded
}

TEST_F(Inverse, unknownCodeShowsOneMessage) {
    math.InverseResult = 7;
    EXPECT_EQ(math.TemperatureOf(kCurveReserved, 1), 7.0L);
    EXPECT_EQ(math.CurveError, 1);
    EXPECT_EQ(messages(), std::vector<std::string>{"Dany prubeh neni v programu jeste zadan"});
}

}  // namespace
}  // namespace veld::lin
