#include "lin/functions.h"
#include "lin/solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <sstream>

namespace veld::lin {
namespace {

std::vector<Point> line(int count, long double slope, long double offset) {
    std::vector<Point> points;
    for (int i = 0; i < count; ++i)
        points.push_back({static_cast<long double>(i), slope * i + offset});
    return points;
}

TEST(Fit, pointsOnACubicGiveTheCubic) {
    std::vector<Point> points;
    // Binary fractions, so that the points lie exactly on the cubic.
    const auto cubic = [](long double x) {
        return 2 + 0.5L * x - 0.125L * x * x + 0.015625L * x * x * x;
    };
    for (int i = 0; i <= 10; ++i)
        points.push_back({static_cast<long double>(i), cubic(i)});
    const auto r = Fit(points, 3, 2, 10.125L);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->degree, 3);
    // Normal equations of x^0..x^6 over 0..10 lose about 7 digits of the extended type.
    const long double expected[] = {2, 0.5L, -0.125L, 0.015625L};
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_NEAR(static_cast<double>(r->coefficients[i]), static_cast<double>(expected[i]),
                    1e-11);
    EXPECT_LT(r->maxDeviation, 1e-12L);
    EXPECT_LE(r->rmsDeviation, r->maxDeviation);
    EXPECT_EQ(r.messages, Messages{"Max.odchylka v % =0"});
    // Upload order: a_3 first, in single precision.
    const std::vector<float> upload = r->upload();
    ASSERT_EQ(upload.size(), 4u);
    EXPECT_FLOAT_EQ(upload[0], 0.015625f);
    EXPECT_FLOAT_EQ(upload[3], 2.0f);
}

TEST(Fit, pt100TableOfDegreeEightMatchesTheExactLeastSquaresSolution) {
    // Pt100 ohms to degrees, 0..850 by 50, resistances rounded to 0.1 milliohm. Expected:
    // the exact rational least-squares polynomial of degree 8 at each point.
    // clang-format off
    struct Row { const char* line; long double exact; };
    const Row rows[] = {
        {"100.0000 0", 0.0000062293156836914013L},   {"119.3950 50", 49.999964211458770294774L},
        {"138.5000 100", 100.00007760507316584799L}, {"157.3148 150", 149.99992097122364472580L},
        {"175.8396 200", 200.00005450615276226940L}, {"194.0742 250", 249.99993060861325290068L},
        {"212.0188 300", 300.00008123491954161498L}, {"229.6732 350", 349.99993940744127481852L},
        {"247.0376 400", 400.00007337185321028122L}, {"264.1118 450", 449.99991628389454675618L},
        {"280.8960 500", 500.00006313766378774296L}, {"297.3900 550", 549.99992054013141858596L},
        {"313.5940 600", 600.00008822775893217361L}, {"329.5078 650", 649.99993625724677860478L},
        {"345.1316 700", 700.00008351129718099639L}, {"360.4652 750", 749.99989594863006464254L},
        {"375.5088 800", 800.00006108374591482714L}, {"390.2622 850", 849.99998686358006922561L}};
    // clang-format on
    std::string text;
    for (const auto& r : rows)
        text += std::string(r.line) + "\n";
    std::istringstream in(text);
    const PointFileResult file = ReadPointFile(in);
    ASSERT_TRUE(file.ok) << file.message;
    const auto r = Fit(file.points, 8, 0, 850);
    ASSERT_TRUE(r);
    // The coefficients are ill-conditioned; the polynomial's values are not: the normal
    // equations in extended precision stay within 1e-8 degrees of the exact fit.
    for (std::size_t k = 0; k < std::size(rows); ++k)
        EXPECT_NEAR(static_cast<double>(r->value(file.points[k].in)),
                    static_cast<double>(rows[k].exact), 1e-8)
            << rows[k].line;
    // What remains is the rounding of the resistances: 0.05 milliohm at 2.6 degrees per ohm.
    EXPECT_LT(r->maxDeviation, 2e-4L);
}

TEST(Fit, coefficientsOutsideTheDeviceFloatAreReported) {
    // clang-format off
    struct Case { long double slope; bool underflow, overflow, zeroed; };
    // clang-format on
    // Slope 1: a_0 is exactly 0, which is no underflow.
    for (const Case c : {Case{1, false, false, false}, Case{1e-40L, true, false, true},
                         Case{1e39L, false, true, false}}) {
        const auto r = Fit({{-1, -c.slope}, {0, 0}, {1, c.slope}}, 1, -c.slope, c.slope);
        ASSERT_TRUE(r) << c.slope;
        const auto said = [&](const char* m) {
            return std::count(r.messages.begin(), r.messages.end(), std::string(m)) > 0;
        };
        EXPECT_EQ(said("Doslo k podteceni"), c.underflow) << c.slope;
        EXPECT_EQ(said("Doslo k preteceni"), c.overflow) << c.slope;
        if (c.underflow || c.overflow) {
            EXPECT_NE(r.messages.front().find("Doslo k p"), std::string::npos);
        }
        EXPECT_EQ(r->coefficients[1] == 0, c.zeroed) << c.slope;
    }
}

TEST(Fit, fallingPolynomialIsReportedFromTheFirstStepAndKept) {
    const auto r = Fit(line(11, -1, 10), 3, 0, 10);
    ASSERT_TRUE(r);
    // The range 0..10 lies at inputs 10..0; widened by 60 %: -6..16, five steps of 4.4.
    const Messages& m = r.messages;
    ASSERT_GE(m.size(), 3u);
    EXPECT_EQ(m[1], "fce neni v tomto bode prosta -\"vstup\",\"vystup\",\"smernice\"");
    std::istringstream values(m[2]);
    double x = 0, y = 0, slope = 0;
    values >> x >> y >> slope;
    EXPECT_NEAR(x, -6, 1e-12);
    EXPECT_NEAR(y, 16, 1e-9);
    EXPECT_NEAR(slope, -1, 1e-9);
    EXPECT_NE(m[2].find("  "), std::string::npos);
    EXPECT_EQ(m.size(), 1u + 2 * 5);  // every step falls
}

TEST(Fit, refusalsEndTheFitWithTheDataMessageLast) {
    const std::vector<std::string> outside{"Počátek měřicího rozsahu je mimo tabulku hodnot.",
                                           "Konec měřicího rozsahu je mimo tabulku hodnot."};
    // fragments: each message in turn contains its fragment
    // clang-format off
    struct Case { long double lo, hi; std::optional<long double> step; int degree;
                  std::vector<std::string> fragments; std::vector<Point> points = line(5, 1, 0); };
    const Case cases[] = {
        {0, 4, 0.0L, 3, {"Chyba teploty"}}, {0, 4, 5.0L, 3, {"Chyba teploty"}},  // step > range
        {0, 4, 0.04L, 21, {"Chyba stupne polynomu"}},  // beyond the 21 x 21 normal matrix
        {0, 4, 0.0L, -1, {"Chyba teploty", "Chyba stupne polynomu"}},
        {5, 60, std::nullopt, 3, outside, line(5, 10, 10)},
        // Three points cannot carry four coefficients: the normal matrix is singular.
        {0, 4, std::nullopt, 3, {"alespoň 4 bodů"}, {{0, 0}, {1, 1}, {2, 4}}},
        {0, 4, std::nullopt, 3, {"soubor jich má 3"}, {{0, 0}, {1, 1}, {1, 2}, {1, 3}, {2, 4}}}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragments[0]);
        FitOptions options;
        options.step = c.step;
        const auto r = Fit(c.points, c.degree, c.lo, c.hi, options);
        EXPECT_FALSE(r);
        ASSERT_EQ(r.messages.size(), c.fragments.size() + 1);
        for (std::size_t i = 0; i < c.fragments.size(); ++i)
            EXPECT_NE(r.messages[i].find(c.fragments[i]), std::string::npos) << r.messages[i];
        EXPECT_EQ(r.messages.back(), "Chyba v datech pro linearizaci.");
    }
    // The range ends themselves lie within the table.
    EXPECT_TRUE(Fit(line(5, 10, 10), 3, 10, 50));
}

struct System {
    Matrix a{};
    Vector b{};
};

System make(std::initializer_list<std::initializer_list<long double>> rows,
            std::initializer_list<long double> rhs) {
    System s;
    std::size_t i = 0;
    for (const auto& row : rows)
        std::copy(row.begin(), row.end(), s.a[i++].begin());
    std::copy(rhs.begin(), rhs.end(), s.b.begin());
    return s;
}

// Known solutions; singular or empty systems are reported and leave finite unknowns (no
// division by zero).
TEST(SolveLinearSystem, knownSystemsSmallPivotsAndSingularOnes) {
    // x empty: singular
    // clang-format off
    struct Case { System system; int m; std::vector<long double> x; int smallPivots = 0; };
    const Case cases[] = {
        {make({{4}}, {2}), 1, {0.5L}}, {{}, 0, {}}, {{}, 22, {}},
        // A zero on the diagonal: without pivoting the first step divides by zero.
        {make({{0, 2, 1}, {1, 1, 1}, {2, 0, 3}}, {7, 6, 11}), 3, {1, 2, 3}},
        {make({{4, -2, 1}, {-2, 4, -2}, {1, -2, 4}}, {11, -16, 17}), 3, {1, -2, 3}},
        {make({{0.05L, 0}, {0, 3}}, {0.1L, 3}), 2, {2, 1}, 1},
        {make({{1, 2}, {2, 4}}, {3, 6}), 2, {}, 1}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Vector x{};
        const SolveReport report = SolveLinearSystem(c.system.a, c.system.b, c.m, x);
        EXPECT_EQ(report.singular, c.x.empty());
        EXPECT_EQ(report.smallPivots, c.smallPivots);
        EXPECT_TRUE(std::isfinite(x[0]) && std::isfinite(x[1]));
        for (std::size_t i = 0; i < c.x.size(); ++i)
            // A few rounding steps of the extended type.
            EXPECT_NEAR(static_cast<double>(x[i]), static_cast<double>(c.x[i]), 1e-15);
    }
}

}  // namespace
}  // namespace veld::lin
