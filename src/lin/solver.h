#pragma once

#include <array>

namespace veld::lin {

inline constexpr int kMaxSystem = 21;

using Matrix = std::array<std::array<long double, kMaxSystem>, kMaxSystem>;
using Vector = std::array<long double, kMaxSystem>;

struct SolveReport {
    int smallPivots = 0;    // pivots of absolute value <= 0.1 (each one warned about by callers)
    bool singular = false;  // a pivot was exactly 0 (or m out of 1..21): x is not a solution
    std::array<std::array<int, 2>, kMaxSystem> pivots{};  // (row, column) of each step
};

// Gauss-Jordan elimination with complete pivoting on copies of the m x m matrix `a` and right
// side `b` (m <= 21). Pivot search scans rows in order and columns in order within a row; a
// later entry wins only when strictly larger. A zero pivot leaves its unknown 0 instead of
// dividing by zero.
SolveReport SolveLinearSystem(const Matrix& a, const Vector& b, int m, Vector& x);

}  // namespace veld::lin
