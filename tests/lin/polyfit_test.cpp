#include "lin_fixture.h"

#include <cmath>
#include <sstream>

namespace veld::lin {
namespace {

class Fit : public testing::LinTest {
protected:
    void load(const std::vector<Point>& points) { ASSERT_TRUE(store.load(points)); }
    // The caller's settings for a fit of the loaded points over begin..end.
    bool fit(int degree, long double begin, long double end) {
        math.LinForward = 0;
        math.LinTask = 1;
        math.LinSource = 1;
        math.LinSensor = kCurveFileLine;
        math.DisplayCurve = kCurveFileLine;
        math.LinStep = std::fabs(end - begin) / 100;
        math.CurveRangeLo = std::min(begin, end);
        math.CurveRangeHi = std::max(begin, end);
        math.PolyDegree = degree;
        return math.FitPolynomial();
    }
};

TEST_F(Fit, pointsOnACubicGiveTheCubic) {
    std::vector<Point> points;
    // Binary fractions, so that the points lie exactly on the cubic.
    const auto cubic = [](long double x) {
        return 2 + 0.5L * x - 0.125L * x * x + 0.015625L * x * x * x;
    };
    for (int i = 0; i <= 10; ++i)
        points.push_back({static_cast<long double>(i), cubic(i)});
    load(points);
    ASSERT_TRUE(fit(3, 2, 10.125L));
    EXPECT_EQ(math.CurveError, 0);
    EXPECT_EQ(math.UploadDegree, 3);
    // Normal equations of x^0..x^6 over 0..10 lose about 7 digits of the extended type.
    const long double expected[] = {2, 0.5L, -0.125L, 0.015625L};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(static_cast<double>(math.PolyCoefficients[i]), static_cast<double>(expected[i]),
                    1e-11);
    EXPECT_LT(math.FitMaxDeviation, 1e-12L);
    EXPECT_LE(math.FitRmsDeviation, math.FitMaxDeviation);
    EXPECT_EQ(messages(), std::vector<std::string>{"Max.odchylka v % =0"});
    // Upload order: a_3 first, in single precision.
    const std::vector<float> upload = math.UploadCoefficients();
    ASSERT_EQ(upload.size(), 4u);
    EXPECT_FLOAT_EQ(upload[0], 0.015625f);
    EXPECT_FLOAT_EQ(upload[3], 2.0f);
}

TEST_F(Fit, pt100TableOfDegreeEightMatchesTheExactLeastSquaresSolution) {
    // Pt100 ohms to degrees, 0..850 by 50, resistances rounded to 0.1 milliohm. Expected:
    // the exact rational least-squares polynomial of degree 8 at each point.
    struct Row {
        const char* line;
        long double exact;
    };
    const Row rows[] = {
        {"100.0000 0", 0.0000062293156836914013L},   {"119.3950 50", 49.999964211458770294774L},
        {"138.5000 100", 100.00007760507316584799L}, {"157.3148 150", 149.99992097122364472580L},
        {"175.8396 200", 200.00005450615276226940L}, {"194.0742 250", 249.99993060861325290068L},
        {"212.0188 300", 300.00008123491954161498L}, {"229.6732 350", 349.99993940744127481852L},
        {"247.0376 400", 400.00007337185321028122L}, {"264.1118 450", 449.99991628389454675618L},
        {"280.8960 500", 500.00006313766378774296L}, {"297.3900 550", 549.99992054013141858596L},
        {"313.5940 600", 600.00008822775893217361L}, {"329.5078 650", 649.99993625724677860478L},
        {"345.1316 700", 700.00008351129718099639L}, {"360.4652 750", 749.99989594863006464254L},
        {"375.5088 800", 800.00006108374591482714L}, {"390.2622 850", 849.99998686358006922561L},
    };
    std::string text;
    for (const auto& r : rows)
        text += std::string(r.line) + "\n";
    std::istringstream in(text);
    const PointFileResult file = ReadPointFile(in);
    ASSERT_TRUE(file.ok) << file.message;
    load(file.points);
    ASSERT_TRUE(fit(8, 0, 850));
    // The coefficients are ill-conditioned; the polynomial's values are not: the normal
    // equations in extended precision stay within 1e-8 degrees of the exact fit.
    for (std::size_t k = 0; k < std::size(rows); ++k)
        EXPECT_NEAR(static_cast<double>(math.EvalFit(file.points[k].in)),
                    static_cast<double>(rows[k].exact), 1e-8)
            << rows[k].line;
    // What remains is the rounding of the resistances: 0.05 milliohm at 2.6 degrees per ohm.
    EXPECT_LT(math.FitMaxDeviation, 2e-4L);
}

TEST_F(Fit, exactZeroCoefficientIsNoUnderflow) {
    load({{-1, -1}, {0, 0}, {1, 1}});
    ASSERT_TRUE(fit(1, -1, 1));
    EXPECT_EQ(math.PolyCoefficients[0], 0.0L);
    EXPECT_FALSE(shown("Doslo k podteceni"));
}

TEST_F(Fit, coefficientsOutsideTheDeviceFloatAreReported) {
    struct Case {
        long double slope;
        const char* message;
        bool zeroed;
    };
    const Case cases[] = {
        {1e-40L, "Doslo k podteceni", true},
        {1e39L, "Doslo k preteceni", false},
    };
    for (const auto& c : cases) {
        recorded.messages.clear();
        load({{-1, -c.slope}, {0, 0}, {1, c.slope}});
        ASSERT_TRUE(fit(1, -c.slope, c.slope));
        EXPECT_TRUE(shown(c.message)) << c.message;
        EXPECT_EQ(math.PolyCoefficients[1] == 0, c.zeroed) << c.message;
    }
}

TEST_F(Fit, rangeMustLieWithinTheDesiredValuesItsEndsIncluded) {
    load({{0, 10}, {1, 20}, {2, 30}, {3, 40}, {4, 50}});
    EXPECT_TRUE(fit(3, 10, 50));
    EXPECT_EQ(math.CurveError, 0);
    recorded.messages.clear();
    EXPECT_FALSE(fit(3, 5, 60));
    EXPECT_EQ(math.CurveError, 1);
    EXPECT_EQ(messages(),
              (std::vector<std::string>{"Počátek měřicího rozsahu je mimo tabulku hodnot.",
                                        "Konec měřicího rozsahu je mimo tabulku hodnot.",
                                        "Chyba v datech pro linearizaci."}));
}

TEST_F(Fit, fallingPolynomialIsReportedFromTheFirstStepAndKept) {
    std::vector<Point> points;
    for (int i = 0; i <= 10; ++i)
        points.push_back({static_cast<long double>(i), 10.0L - i});
    load(points);
    ASSERT_TRUE(fit(3, 0, 10));
    EXPECT_EQ(math.CurveError, 0);
    // The range 0..10 lies at inputs 10..0; widened by 60 %: -6..16, five steps of 4.4.
    ASSERT_GE(messages().size(), 3u);
    EXPECT_EQ(messages()[1], "fce neni v tomto bode prosta -\"vstup\",\"vystup\",\"smernice\"");
    std::istringstream values(messages()[2]);
    double x = 0, y = 0, slope = 0;
    values >> x >> y >> slope;
    EXPECT_NEAR(x, -6, 1e-12);
    EXPECT_NEAR(y, 16, 1e-9);
    EXPECT_NEAR(slope, -1, 1e-9);
    EXPECT_NE(messages()[2].find("  "), std::string::npos);
    EXPECT_EQ(messages().size(), 1u + 2 * 5);  // every step falls
}

TEST_F(Fit, risingTableShowsOnlyTheDeviationAndThatOnlyWhenAsked) {
    std::vector<Point> points;
    for (int i = 0; i <= 10; ++i)
        points.push_back({static_cast<long double>(i), 3.0L * i + 1});
    load(points);
    ASSERT_TRUE(fit(3, 1, 31));
    EXPECT_EQ(messages().size(), 1u);
    recorded.messages.clear();
    math.ShowFitDeviation = false;
    ASSERT_TRUE(fit(3, 1, 31));
    EXPECT_TRUE(messages().empty());
}

TEST_F(Fit, stepAndDegreeErrorsEndTheFit) {
    load({{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}});
    struct Case {
        long double step;
        int degree;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {0, 3, {"Chyba teploty"}},
        {5, 3, {"Chyba teploty"}},  // larger than the range
        {0.04L, -1, {"Chyba stupne polynomu"}},
        {0.04L, 21, {"Chyba stupne polynomu"}},               // beyond the 21 x 21 normal matrix
        {0, -1, {"Chyba teploty", "Chyba stupne polynomu"}},  // one pass shows both
    };
    for (const auto& c : cases) {
        recorded.messages.clear();
        math.LinStep = c.step;
        math.CurveRangeLo = 0;
        math.CurveRangeHi = 4;
        math.PolyDegree = c.degree;
        EXPECT_FALSE(math.FitPolynomial());
        EXPECT_EQ(math.CurveError, 1);
        std::vector<std::string> expected = c.shown;
        expected.push_back("Chyba v datech pro linearizaci.");
        EXPECT_EQ(messages(), expected);
    }
}

TEST_F(Fit, tooFewDistinctInputsForTheDegreeAreRefused) {
    // Three points cannot carry four coefficients: the normal matrix is singular.
    load({{0, 0}, {1, 1}, {2, 4}});
    EXPECT_FALSE(fit(3, 0, 4));
    EXPECT_EQ(math.CurveError, 1);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_NE(messages()[0].find("alespoň 4 bodů"), std::string::npos) << messages()[0];
    EXPECT_EQ(messages()[1], "Chyba v datech pro linearizaci.");

    recorded.messages.clear();
    load({{0, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 4}});
    EXPECT_FALSE(fit(3, 0, 4));
    EXPECT_NE(messages()[0].find("soubor jich má 3"), std::string::npos) << messages()[0];
}

}  // namespace
}  // namespace veld::lin
