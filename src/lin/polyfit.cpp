#include "lin/lin_math.h"

#include "lin/format.h"

#include <algorithm>
#include <cmath>

namespace veld::lin {
namespace {

constexpr long double kDevFloatMax = 1.7014117E+38L;
constexpr long double kDevFloatMin = 2.9387359E-39L;
constexpr int kMaxDegree = kMaxSystem - 1;
constexpr int kRisingSteps = 5;

}  // namespace

bool LinMath::failFit() {
    CurveError = 1;
    message("Chyba v datech pro linearizaci.");
    return false;
}

// The sum of a_i x^i from a_0 up, each power built by multiplication like the sums of the fit.
long double LinMath::EvalFit(long double x) const {
    long double p = 0;
    long double power = 1;
    for (int i = 0; i <= UploadDegree; ++i) {
        p += PolyCoefficients[static_cast<std::size_t>(i)] * power;
        power *= x;
    }
    return p;
}

bool LinMath::FitPolynomial() {
    CurveError = 0;
    PolyCoefficients.fill(0);
    FitMaxDeviation = FitRmsDeviation = FitMaxPercent = 0;

    // These checks cannot succeed on a second look without new input, so after one pass over
    // both they end the fit.
    const int n = PolyDegree;
    bool usable = true;
    if (!(LinStep > 0) || LinStep > CurveRangeHi - CurveRangeLo) {
        message("Chyba teploty");
        usable = false;
    }
    if (n < 0 || n > kMaxDegree) {
        message("Chyba stupne polynomu");
        usable = false;
    }
    if (!usable)
        return failFit();
    UploadDegree = n;

    const int count = std::clamp(Points.PointCount, 0, kMaxPoints);
    const auto N = static_cast<std::size_t>(count);
    const auto& X = Points.PointsIn;
    const auto& Y = Points.PointsOut;

    const long double y1 = Y[1], yN = Y[std::max<std::size_t>(N, 1)];
    const long double yMin = std::min(y1, yN), yMax = std::max(y1, yN);
    if (!(CurveRangeLo >= yMin && CurveRangeLo <= yMax)) {
        message("Počátek měřicího rozsahu je mimo tabulku hodnot.");
        CurveError = 1;
    }
    if (!(CurveRangeHi >= yMin && CurveRangeHi <= yMax)) {
        message("Konec měřicího rozsahu je mimo tabulku hodnot.");
        CurveError = 1;
    }

    // n + 1 coefficients need n + 1 distinct inputs; with fewer the normal matrix is singular
    // and its "solution" would be uploaded as garbage.
    std::vector<long double> distinct(X.begin() + 1, X.begin() + 1 + static_cast<long>(N));
    std::sort(distinct.begin(), distinct.end());
    const auto distinctCount = std::unique(distinct.begin(), distinct.end()) - distinct.begin();
    if (distinctCount < n + 1) {
        message("Polynom stupně " + std::to_string(n) + " potřebuje alespoň " +
                std::to_string(n + 1) + " bodů s různou vstupní hodnotou, soubor jich má " +
                std::to_string(distinctCount) + ".");
        CurveError = 1;
    }
    if (CurveError != 0)
        return failFit();

    const auto degree = static_cast<std::size_t>(n);
    std::array<long double, 2 * kMaxSystem> S{};
    Vector R{};
    for (std::size_t k = 1; k <= N; ++k) {
        long double power = 1;
        for (std::size_t m = 0; m <= degree; ++m) {
            R[m] += Y[k] * power;
            power *= X[k];
        }
        power = 1;
        for (std::size_t j = 0; j <= 2 * degree; ++j) {
            S[j] += power;
            power *= X[k];
        }
    }
    Matrix G{};
    for (std::size_t i = 0; i <= degree; ++i)
        for (std::size_t j = 0; j <= degree; ++j)
            G[i][j] = S[i + j];

    Vector a{};
    const SolveReport report = SolveLinearSystem(G, R, n + 1, a);
    bool finite = !report.singular;
    for (std::size_t i = 0; i <= degree; ++i)
        finite = finite && std::isfinite(a[i]);
    if (!finite) {
        message("Soustava rovnic polynomu stupně " + std::to_string(n) +
                " nemá řešení, zvolte nižší stupeň.");
        return failFit();
    }

    bool overflow = false, underflow = false;
    for (std::size_t i = 0; i <= degree; ++i) {
        if (std::fabs(a[i]) >= kDevFloatMax)
            overflow = true;
        if (a[i] != 0 && std::fabs(a[i]) <= kDevFloatMin) {
            a[i] = 0;
            underflow = true;
        }
        PolyCoefficients[i] = a[i];
    }
    if (overflow)
        message("Doslo k preteceni");
    if (underflow)
        message("Doslo k podteceni");

    long double sumSquares = 0;
    for (std::size_t k = 1; k <= N; ++k) {
        const long double d = Y[k] - EvalFit(X[k]);
        FitMaxDeviation = std::fmax(FitMaxDeviation, std::fabs(d));
        sumSquares += d * d;
    }
    FitRmsDeviation = std::sqrt(sumSquares / static_cast<long double>(N));

    FitMaxPercent = FitMaxDeviation / (CurveRangeHi - CurveRangeLo) * 100;
    if (ShowFitDeviation)
        message("Max.odchylka v % =" + FormatGeneral(std::round(FitMaxPercent * 1000) / 1000));

    // Rising test over the range widened by 60 % on each side, walked upwards whatever the
    // direction of the points (a falling table has its lower range end at the larger input).
    const long double xA = CurveRangeLo * Points.EndLineInSlope + Points.EndLineInOffset;
    const long double xB = CurveRangeHi * Points.EndLineInSlope + Points.EndLineInOffset;
    const long double xLo = std::min(xA, xB), xHi = std::max(xA, xB);
    const long double start = xLo - 0.6L * (xHi - xLo);
    const long double step = (xHi + 0.6L * (xHi - xLo) - start) / kRisingSteps;
    for (int k = 1; k <= kRisingSteps && step > 0; ++k) {
        const long double xPrev = start + (k - 1) * step;
        const long double x = start + k * step;
        const long double slope = (EvalFit(x) - EvalFit(xPrev)) / (x - xPrev);
        if (slope <= 0) {
            message("fce neni v tomto bode prosta -\"vstup\",\"vystup\",\"smernice\"");
            message(FormatGeneral(xPrev) + "  " + FormatGeneral(EvalFit(xPrev)) + "  " +
                    FormatGeneral(slope));
        }
    }
    return true;
}

std::vector<float> LinMath::UploadCoefficients() const {
    std::vector<float> out;
    for (int i = UploadDegree; i >= 0; --i)
        out.push_back(static_cast<float>(PolyCoefficients[static_cast<std::size_t>(i)]));
    return out;
}

}  // namespace veld::lin
