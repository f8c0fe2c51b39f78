#include "lin/solver.h"

#include <gtest/gtest.h>

#include <cmath>

namespace veld::lin {
namespace {

struct System {
    Matrix a{};
    Vector b{};
};

System make(std::initializer_list<std::initializer_list<long double>> rows,
            std::initializer_list<long double> rhs) {
    System s;
    std::size_t i = 0;
    for (const auto& row : rows) {
        std::size_t j = 0;
        for (long double v : row)
            s.a[i][j++] = v;
        ++i;
    }
    std::size_t k = 0;
    for (long double v : rhs)
        s.b[k++] = v;
    return s;
}

// A diagonally dominant 21 x 21 system with the solution -10..10.
System fullSize() {
    System s;
    for (std::size_t i = 0; i < kMaxSystem; ++i)
        for (std::size_t j = 0; j < kMaxSystem; ++j) {
            s.a[i][j] = i == j ? 30 : 1.0L / static_cast<long double>(1 + i + 2 * j);
            s.b[i] += s.a[i][j] * (static_cast<long double>(j) - 10);
        }
    return s;
}

TEST(SolveLinearSystem, knownSystems) {
    struct Case {
        System system;
        int m;
        std::vector<long double> x;
    };
    std::vector<long double> full;
    for (int i = -10; i <= 10; ++i)
        full.push_back(i);
    const Case cases[] = {
        {make({{4}}, {2}), 1, {0.5L}},
        // A zero on the diagonal: without pivoting the first step divides by zero.
        {make({{0, 2, 1}, {1, 1, 1}, {2, 0, 3}}, {7, 6, 11}), 3, {1, 2, 3}},
        {make({{4, -2, 1}, {-2, 4, -2}, {1, -2, 4}}, {11, -16, 17}), 3, {1, -2, 3}},
        {fullSize(), kMaxSystem, full},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m);
        Vector x{};
        const SolveReport report = SolveLinearSystem(c.system.a, c.system.b, c.m, x);
        EXPECT_FALSE(report.singular);
        EXPECT_EQ(report.smallPivots, 0);
        for (std::size_t i = 0; i < c.x.size(); ++i)
            // A few rounding steps of the extended type.
            EXPECT_NEAR(static_cast<double>(x[i]), static_cast<double>(c.x[i]), 1e-15);
    }
}

TEST(SolveLinearSystem, smallPivotsAreCountedAndSingularSystemsReported) {
    struct Case {
        const char* name;
        System system;
        int m;
        int smallPivots;
        bool singular;
    };
    const Case cases[] = {
        {"small pivot", make({{0.05L, 0}, {0, 3}}, {0.1L, 3}), 2, 1, false},
        // No division by zero: the unknowns stay finite.
        {"singular", make({{1, 2}, {2, 4}}, {3, 6}), 2, 1, true},
        {"no unknowns", {}, 0, 0, true},
        {"beyond the table", {}, 22, 0, true},
    };
    for (const auto& c : cases) {
        Vector x{};
        const SolveReport report = SolveLinearSystem(c.system.a, c.system.b, c.m, x);
        EXPECT_EQ(report.smallPivots, c.smallPivots) << c.name;
        EXPECT_EQ(report.singular, c.singular) << c.name;
        EXPECT_TRUE(std::isfinite(x[0]) && std::isfinite(x[1])) << c.name;
    }
    Vector x{};
    SolveLinearSystem(cases[0].system.a, cases[0].system.b, 2, x);
    EXPECT_NEAR(static_cast<double>(x[0]), 2.0, 1e-17);
    EXPECT_NEAR(static_cast<double>(x[1]), 1.0, 1e-17);
}

TEST(SolveLinearSystem, pivotSearchScansRowsThenColumnsAndKeepsTheFirstOfEqualEntries) {
    // |3| at (0,1) and at (1,0): the scan meets (0,1) first and a later equal entry does not
    // replace it.
    const System ties = make({{1, 3}, {3, 2}}, {7, 7});
    Vector x{};
    SolveReport report = SolveLinearSystem(ties.a, ties.b, 2, x);
    EXPECT_EQ(report.pivots[0], (std::array<int, 2>{0, 1}));
    EXPECT_EQ(report.pivots[1], (std::array<int, 2>{1, 0}));
    EXPECT_NEAR(static_cast<double>(x[0]), 1.0, 1e-17);
    EXPECT_NEAR(static_cast<double>(x[1]), 2.0, 1e-17);

    // A strictly larger entry later in the scan wins.
    const System larger = make({{1, 3}, {-4, 2}}, {7, 0});
    report = SolveLinearSystem(larger.a, larger.b, 2, x);
    EXPECT_EQ(report.pivots[0], (std::array<int, 2>{1, 0}));
    EXPECT_EQ(report.pivots[1], (std::array<int, 2>{0, 1}));
}

}  // namespace
}  // namespace veld::lin
