#include "lin/lin_math.h"

#include <cmath>

namespace veld::lin {
namespace {

// Limits of the transmitter's 4-byte float.
constexpr long double kDevFloatMax = 1.7014117E+38L;
constexpr long double kDevFloatMin = 2.9387359E-39L;

constexpr int kTestSteps = 900;  // 901 test points over the range

}  // namespace

bool LinMath::failSpline() {
    CurveError = 1;
    message("Chyba cteni v SPLUNIT1 prip.klonu,stiskni ENTER");
    return false;
}

bool LinMath::BuildSplineTable() {
    splineReady_ = false;
    CurveError = 0;
    LimitError = false;
    const int n = SplineIntervals;
    const long double lo = CurveRangeLo, hi = CurveRangeHi;
    LinStep = (hi - lo) / kTestSteps;
    // Written so that a NaN range fails as well. More than 20 intervals do not fit the table.
    // Both checks are made once; a failure ends the build, as nothing would change on a retry.
    bool usable = true;
    if (n <= 0 || n > kSegmentCount || !(hi - lo > 0) || !(LinStep > 0)) {
        message("Chyba poc.intervalu nebo teploty nebo kroku");
        usable = false;
    }
    if (const auto limits = SensorLimits(LinSensor))
        usable = CheckSensorLimits(limits->lo, limits->hi) && usable;
    if (!usable)
        return failSpline();

    const auto N = static_cast<std::size_t>(n);
    std::array<long double, kSegmentCount + 1> t{}, s{};
    for (std::size_t i = 0; i <= N; ++i) {
        t[i] = lo + static_cast<long double>(i) * (hi - lo) / n;
        s[i] = SignalAt(DisplayCurve, t[i]);
        if (CurveError != 0)
            return failSpline();
    }
    const long double p0 = 1 / (SignalAt(DisplayCurve, lo + 1) - SignalAt(DisplayCurve, lo));
    const long double pn = 1 / (SignalAt(DisplayCurve, hi) - SignalAt(DisplayCurve, hi - 1));

    std::array<long double, kSegmentCount> h{};
    for (std::size_t i = 0; i < N; ++i)
        h[i] = s[i + 1] - s[i];

    Matrix A{};
    Vector b{};
    A[0][0] = 2;
    A[0][1] = 1;
    b[0] = 6 / h[0] * ((t[1] - t[0]) / h[0] - p0);
    for (std::size_t i = 1; i < N; ++i) {
        const long double mu = h[i - 1] / (h[i - 1] + h[i]);
        A[i][i - 1] = mu;
        A[i][i] = 2;
        A[i][i + 1] = 1 - mu;
        b[i] = 6 * ((t[i + 1] - t[i]) / h[i] - (t[i] - t[i - 1]) / h[i - 1]) / (h[i - 1] + h[i]);
    }
    A[N][N - 1] = 1;
    A[N][N] = 2;
    b[N] = 6 / h[N - 1] * (pn - (t[N] - t[N - 1]) / h[N - 1]);

    Vector M{};
    const SolveReport report = SolveLinearSystem(A, b, n + 1, M);
    for (int i = 0; i < report.smallPivots; ++i)
        message("Pozor mala cisla ve zbyvajici casti matice");

    bool overflow = false, underflow = false;
    auto representable = [&](long double& c) {
        if (std::fabs(c) >= kDevFloatMax)
            overflow = true;
        if (c != 0 && std::fabs(c) <= kDevFloatMin) {
            c = 0;
            underflow = true;
        }
    };
    for (std::size_t i = 0; i < N; ++i) {
        long double c0 = t[i];
        long double c1 = (t[i + 1] - t[i]) / h[i] - h[i] * (M[i + 1] + 2 * M[i]) / 6;
        long double c2 = M[i] / 2;
        long double c3 = (M[i + 1] - M[i]) / (6 * h[i]);
        representable(c3);
        representable(c2);
        representable(c1);
        representable(c0);
        SplineC0[i] = c0;
        SplineC1[i] = c1;
        SplineC2[i] = c2;
        SplineC3[i] = c3;
    }
    if (overflow)
        message("Doslo k preteceni");
    if (underflow)
        message("Doslo k podteceni");

    for (std::size_t i = 0; i <= N; ++i) {
        SplineT[i] = t[i];
        SplineS[i] = s[i];
        SplineM[i] = M[i];
    }
    SplineStartSlope = p0;
    SplineEndSlope = pn;

    // A range so narrow that neighbouring nodes share a signal gives no usable table.
    bool finite = !report.singular;
    for (std::size_t i = 0; i < N; ++i)
        finite = finite && std::isfinite(SplineC0[i]) && std::isfinite(SplineC1[i]) &&
                 std::isfinite(SplineC2[i]) && std::isfinite(SplineC3[i]);
    if (!finite)
        return failSpline();

    SegmentCount = n;
    splineReady_ = true;
    SplineDeviation = deviationAgainstInverse([this](long double sig) { return splineValue(sig); });
    return true;
}

long double LinMath::splineValue(long double sig) const {
    const int n = SegmentCount;
    std::size_t i = 0;
    while (i + 1 < static_cast<std::size_t>(n) && sig >= SplineS[i + 1])
        ++i;
    const long double d = sig - SplineS[i];
    return SplineC0[i] + d * (SplineC1[i] + d * (SplineC2[i] + d * SplineC3[i]));
}

template <typename Eval>
Deviation LinMath::deviationAgainstInverse(Eval eval) {
    Deviation dev;
    long double sumSquares = 0;
    const long double lo = CurveRangeLo;
    const long double step = (CurveRangeHi - CurveRangeLo) / kTestSteps;
    for (int k = 0; k <= kTestSteps; ++k) {
        const long double t = lo + k * step;
        const long double d = eval(SignalAt(DisplayCurve, t)) - t;
        dev.max = std::fmax(dev.max, std::fabs(d));
        sumSquares += d * d;
    }
    dev.rms = std::sqrt(sumSquares / (kTestSteps + 1));
    return dev;
}

Deviation LinMath::ImageDeviation(const SegmentImage& image) {
    return deviationAgainstInverse(
        [&image](long double sig) { return EvalSegmentImage(image, sig); });
}

std::optional<SegmentImage> LinMath::SplineImage() const {
    if (!splineReady_)
        return std::nullopt;
    SegmentImage image;
    const auto n = static_cast<std::size_t>(SegmentCount);
    for (std::size_t k = 0; k <= n; ++k)
        image.groups[k].x = static_cast<float>(SplineS[k]);
    for (std::size_t k = 0; k < n; ++k) {
        image.groups[k].c3 = static_cast<float>(SplineC3[k]);
        image.groups[k].c2 = static_cast<float>(SplineC2[k]);
        image.groups[k].c1 = static_cast<float>(SplineC1[k]);
        image.groups[k].c0 = static_cast<float>(SplineC0[k]);
    }
    return image;
}

}  // namespace veld::lin
