#include "lin/solver.h"

#include <cmath>

namespace veld::lin {

SolveReport SolveLinearSystem(const Matrix& a, const Vector& b, int m, Vector& x) {
    SolveReport report;
    x.fill(0);
    if (m < 1 || m > kMaxSystem) {
        report.singular = true;
        return report;
    }
    const auto n = static_cast<std::size_t>(m);
    Matrix A = a;
    Vector B = b;
    std::array<bool, kMaxSystem> rowChosen{}, colChosen{};
    std::array<std::size_t, kMaxSystem> pivotRow{};  // by column
    std::array<bool, kMaxSystem> hasPivot{};

    for (std::size_t step = 0; step < n; ++step) {
        long double largest = -1;
        std::size_t r = 0, c = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (rowChosen[i])
                continue;
            for (std::size_t j = 0; j < n; ++j) {
                if (colChosen[j])
                    continue;
                const long double v = std::fabs(A[i][j]);
                if (v > largest) {
                    largest = v;
                    r = i;
                    c = j;
                }
            }
        }
        if (largest < 0) {  // only NaN left
            report.singular = true;
            break;
        }
        rowChosen[r] = true;
        colChosen[c] = true;
        pivotRow[c] = r;
        hasPivot[c] = true;
        report.pivots[step] = {static_cast<int>(r), static_cast<int>(c)};
        if (largest <= 0.1L)
            ++report.smallPivots;
        if (largest == 0) {  // nothing to divide by: this unknown stays 0
            report.singular = true;
            continue;
        }
        for (std::size_t k = 0; k < n; ++k) {
            if (k == r)
                continue;
            const long double f = -A[k][c] / A[r][c];
            A[k][c] = 0;
            for (std::size_t j = 0; j < n; ++j)
                if (!colChosen[j])
                    A[k][j] += f * A[r][j];
            B[k] += f * B[r];
        }
    }
    for (std::size_t c = 0; c < n; ++c) {
        const std::size_t r = pivotRow[c];
        if (hasPivot[c] && A[r][c] != 0)
            x[c] = B[r] / A[r][c];
    }
    return report;
}

}  // namespace veld::lin
