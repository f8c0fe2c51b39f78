#include "lin/functions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace veld::lin {
namespace {

long double signal(int code, long double t, const CurveParams& params = {}) {
    const auto r = Characteristic(code, t, params);
    EXPECT_TRUE(r.messages.empty()) << "code " << code;
    return r.value.value_or(std::nanl(""));
}

long double inverse(int code, long double s, const CurveParams& params = {}) {
    const auto r = Inverse(code, s, params);
    EXPECT_TRUE(r.messages.empty()) << "code " << code;
    return r.value.value_or(std::nanl(""));
}

TEST(Characteristic, publishedValuesAndEveryCoefficientSet) {
    // Volts or ohms. With a tolerance: published five-digit values, half their last digit.
    // Without: worked from the coefficient tables in 30-digit arithmetic where the highest
    // powers weigh most; a wrong digit in a set moves the result by far more than 1e-13 of it.
    // clang-format off
    struct Case { int code; long double t, expected, tolerance = 0; };
    const Case cases[] = {
        {kCurveK, 100, 4.0953e-3L, 5e-8L}, {kCurveK, 1000, 41.269e-3L, 5e-7L},
        {kCurveJ, 100, 5.2677e-3L, 5e-8L}, {kCurveS, 1000, 9.5847e-3L, 5e-8L},
        {kCurveB, 1000, 4.8326e-3L, 5e-8L}, {kCurveL, 100, 6.8417e-3L, 5e-8L},
        {kCurvePt100, 100, 138.50L, 0.005L}, {kCurvePt100, -100, 60.254L, 0.0005L},
        {kCurveNi100, 100, 161.78L, 0.005L},
        {kCurveN, -250, -0.00431330201018347167969L}, {kCurveN, 1250, 0.0456819169102799797058L},
        {kCurveK, -180, -0.00555020805849527534617L}, {kCurveK, 50, 0.00202244991229410721871L},
        {kCurveK, 1300, 0.05239848336833403656L}, {kCurveT, -190, -0.00543855331703398664463L},
        {kCurveT, 350, 0.0178163667988041039062L}, {kCurveJ, 700, 0.0391302203142817463L},
        {kCurveJ, 1100, 0.0637772808069448L}, {kCurveE, -180, -0.00827323011763933241115L},
        {kCurveE, 900, 0.06878309447510935533L}, {kCurveR, 500, 0.00447055090625L},
        {kCurveR, 900, 0.0092033501126L}, {kCurveR, 1500, 0.01744473114439125L},
        {kCurveR, 1740, 0.0207475259329875L}, {kCurveS, 500, 0.004233593015625L},
        {kCurveS, 900, 0.00844831961L}, {kCurveS, 1500, 0.01557649341457425L},
        {kCurveS, 1740, 0.0183936802821375L}, {kCurveB, 1700, 0.0124263401288322715347L},
        {kCurveL, 800, 0.06648362030592L}, {kCurvePt100, -150, 39.7136734375L},
        {kCurvePt100, 600, 313.594L}, {kCurveNi100, -60, 69.520259488L},
        {kCurveNi100, 240, 278.868110848L},
        // Range ends belong to the lower set; the upper one differs there by 2e-9 or more.
        {kCurveR, 630, 0.0059245830428010693012L}, {kCurveR, 1064, 0.0113580460265524736L},
        {kCurveR, 1665, 0.019738670497L}, {kCurveJ, 760, 0.04292195701579983090876416L}};
    // clang-format on
    for (const auto& c : cases) {
        const long double got = signal(c.code, c.t);
        EXPECT_LE(std::fabs(got - c.expected),
                  c.tolerance > 0 ? c.tolerance : 1e-13L * std::fabs(c.expected))
            << "code " << c.code << " at " << static_cast<double>(c.t) << ": "
            << static_cast<double>(got);
    }
}

TEST(Characteristic, zeroDegreesAndTheThousandOhmSensors) {
    for (CurveCode code : {kCurveN, kCurveK, kCurveT, kCurveE, kCurveJ, kCurveR, kCurveS, kCurveL})
        EXPECT_EQ(signal(code, 0), 0.0L) << code;
    EXPECT_EQ(signal(kCurvePt100, 0), 100.0L);
    EXPECT_EQ(signal(kCurveNi100, 0), 100.0L);
    // Both platinum formulas meet there.
    EXPECT_NEAR(static_cast<double>(signal(kCurvePt100, -1e-9L)), 100.0, 1e-9);
    for (long double t : {-70.0L, 250.0L}) {
        EXPECT_NEAR(static_cast<double>(signal(kCurvePt1000, t) - 10 * signal(kCurvePt100, t)), 0,
                    1e-12);
        EXPECT_NEAR(static_cast<double>(signal(kCurveNi1000, t) - 10 * signal(kCurveNi100, t)), 0,
                    1e-12);
    }
}

TEST(Characteristic, squareRootFileLineAndIdentityBothWays) {
    const CurveParams root{4, 20, 0, 0, {}};
    // Outside its range the square root is the identity.
    for (long double x : {3.0L, 4.0L, 20.0L, 25.0L})
        EXPECT_EQ(signal(kCurveSquareRoot, x, root), x);
    // A quarter of the span in gives half of it out.
    EXPECT_NEAR(static_cast<double>(signal(kCurveSquareRoot, 8, root)), 12.0, 1e-15);
    for (long double x : {4.5L, 8.0L, 19.999L})
        EXPECT_EQ(inverse(kCurveSquareRoot, signal(kCurveSquareRoot, x, root), root), x);
    EXPECT_EQ(inverse(kCurveSquareRoot, 2.5L, root), 2.5L);
    EXPECT_EQ(signal(kCurveFileLine, 10, {0, 0, 0.5L, -1, {}}), 4.0L);
    EXPECT_EQ(inverse(kCurveFileLine, 1.5L, {0, 0, 2, 0.00049L, {}}), 3.0L);  // 3.00049 rounded
    EXPECT_EQ(signal(kCurveIdentity, -12.5L), -12.5L);
    EXPECT_EQ(inverse(kCurveIdentity, 1.23456L), 1.23456L);  // not rounded
}

TEST(Characteristic, unknownCodeGivesNoValueAndItsMessage) {
    for (int code : {static_cast<int>(kCurveReserved), 17, -1}) {
        for (const auto& r : {Characteristic(code, 100), Inverse(code, 1)}) {
            EXPECT_FALSE(r) << code;
            EXPECT_EQ(r.messages, Messages{"Dany prubeh neni v programu jeste zadan"}) << code;
        }
    }
}

TEST(Inverse, roundTripsToTheThousandthOverEverySearchInterval) {
    // The odd step visits every region of every curve on the 0.001 grid, both ends included.
    for (int code = kCurveN; code <= kCurveNi1000; ++code) {
        const auto interval = InverseSearchInterval(code);
        ASSERT_TRUE(interval);
        int failures = 0;
        for (long double t = interval->lo;; t += 0.371L) {
            const long double grid = std::round(std::fmin(t, interval->hi) * 1000) / 1000;
            const long double back = inverse(code, signal(code, grid));
            if (std::fabs(back - grid) > 1e-9L && ++failures <= 3)
                ADD_FAILURE() << "code " << code << ": " << static_cast<double>(grid) << " -> "
                              << static_cast<double>(back);
            if (t >= interval->hi)
                break;
        }
        EXPECT_EQ(failures, 0) << "code " << code;
    }
    // Stopping on the signal difference ended this search more than 100 degrees off.
    EXPECT_EQ(inverse(kCurveB, signal(kCurveB, 100.5L)), 100.5L);
    EXPECT_EQ(inverse(kCurveS, signal(kCurveS, 27.263L)), 27.263L);
}

}  // namespace
}  // namespace veld::lin
