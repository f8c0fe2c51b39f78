#include "lin/detail.h"

#include <cmath>
#include <limits>

namespace veld::lin {
namespace {

using detail::kDevFloatMax;
using detail::kDevFloatMin;

constexpr int kTestSteps = 900;  // 901 test points over the range
constexpr std::string_view kEnd = "Chyba cteni v SPLUNIT1 prip.klonu,stiskni ENTER";

// The square root works over the range being built.
CurveParams withRange(CurveParams params, long double lo, long double hi) {
    params.rangeLo = lo;
    params.rangeHi = hi;
    return params;
}

template <typename Eval>
Deviation deviationAgainstInverse(Eval eval, int code, long double lo, long double hi,
                                  const CurveParams& params,
                                  std::vector<DeviationPoint>* curve = nullptr) {
    Deviation dev;
    long double sumSquares = 0;
    const long double step = (hi - lo) / kTestSteps;
    for (int k = 0; k <= kTestSteps; ++k) {
        const long double t = lo + k * step;
        const long double d = eval(*detail::Evaluate(code, t, params)) - t;
        if (curve)
            curve->push_back({t, d});
        dev.max = std::fmax(dev.max, std::fabs(d));
        sumSquares += d * d;
    }
    dev.rms = std::sqrt(sumSquares / (kTestSteps + 1));
    return dev;
}

}  // namespace

long double SplineTable::value(long double signal) const {
    std::size_t i = 0;
    while (i + 1 < static_cast<std::size_t>(kSegmentCount) && signal >= s[i + 1])
        ++i;
    const long double d = signal - s[i];
    return c0[i] + d * (c1[i] + d * (c2[i] + d * c3[i]));
}

Result<SplineTable> Spline(int code, long double lo, long double hi, const CurveParams& line) {
    const CurveParams params = withRange(line, lo, hi);
    Result<SplineTable> result;
    Messages& messages = result.messages;
    auto fail = [&result] {
        result.messages.emplace_back(kEnd);
        return result;
    };

    constexpr int n = kSegmentCount;
    const long double step = (hi - lo) / kTestSteps;
    // Written so that a NaN range fails as well. Both checks are made once; a failure ends
    // the build, as nothing would change on a retry.
    bool usable = true;
    if (!(hi - lo > 0) || !(step > 0)) {
        messages.emplace_back("Chyba poc.intervalu nebo teploty nebo kroku");
        usable = false;
    }
    if (const auto limits = SensorLimits(code)) {
        if (limits->lo > lo) {
            messages.emplace_back("Prekrocena dolni mez");
            usable = false;
        }
        if (limits->hi < hi) {
            messages.emplace_back("Prekrocena horni mez");
            usable = false;
        }
    }
    if (!usable)
        return fail();

    SplineTable table;
    auto& t = table.t;
    auto& s = table.s;
    constexpr auto N = static_cast<std::size_t>(n);
    for (std::size_t i = 0; i <= N; ++i) {
        t[i] = lo + static_cast<long double>(i) * (hi - lo) / n;
        const auto signal = detail::Evaluate(code, t[i], params);
        if (!signal) {
            messages.emplace_back(detail::kUnknownCurve);
            return fail();
        }
        s[i] = *signal;
    }
    const auto at = [&](long double temperature) {
        return *detail::Evaluate(code, temperature, params);
    };
    const long double p0 = 1 / (at(lo + 1) - at(lo));
    const long double pn = 1 / (at(hi) - at(hi - 1));

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
        messages.emplace_back("Pozor mala cisla ve zbyvajici casti matice");

    bool overflow = false, underflow = false;
    auto representable = [&](long double& c) {
        if (std::fabs(c) >= kDevFloatMax)
            overflow = true;
        if (c != 0 && std::fabs(c) <= kDevFloatMin) {
            c = 0;
            underflow = true;
        }
    };
    bool finite = !report.singular;
    for (std::size_t i = 0; i < N; ++i) {
        long double c0 = t[i];
        long double c1 = (t[i + 1] - t[i]) / h[i] - h[i] * (M[i + 1] + 2 * M[i]) / 6;
        long double c2 = M[i] / 2;
        long double c3 = (M[i + 1] - M[i]) / (6 * h[i]);
        representable(c3);
        representable(c2);
        representable(c1);
        representable(c0);
        table.c0[i] = c0;
        table.c1[i] = c1;
        table.c2[i] = c2;
        table.c3[i] = c3;
        finite = finite && std::isfinite(c0) && std::isfinite(c1) && std::isfinite(c2) &&
                 std::isfinite(c3);
    }
    if (overflow)
        messages.emplace_back("Doslo k preteceni");
    if (underflow)
        messages.emplace_back("Doslo k podteceni");
    // A range so narrow that neighbouring nodes share a signal gives no usable table.
    if (!finite)
        return fail();

    for (std::size_t i = 0; i <= N; ++i)
        table.m[i] = M[i];
    table.startSlope = p0;
    table.endSlope = pn;
    for (std::size_t k = 0; k <= N; ++k)
        table.image.groups[k].x = static_cast<float>(s[k]);
    for (std::size_t k = 0; k < N; ++k) {
        table.image.groups[k].c3 = static_cast<float>(table.c3[k]);
        table.image.groups[k].c2 = static_cast<float>(table.c2[k]);
        table.image.groups[k].c1 = static_cast<float>(table.c1[k]);
        table.image.groups[k].c0 = static_cast<float>(table.c0[k]);
    }
    table.deviation = deviationAgainstInverse(
        [&table](long double signal) { return table.value(signal); }, code, lo, hi, params);
    result.value = std::move(table);
    return result;
}

Deviation ImageDeviation(const SegmentImage& image, int code, long double lo, long double hi,
                         const CurveParams& line) {
    const CurveParams params = withRange(line, lo, hi);
    if (!detail::Evaluate(code, lo, params)) {
        constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();
        return {kNaN, kNaN};
    }
    return deviationAgainstInverse(
        [&image](long double signal) { return EvalSegmentImage(image, signal); }, code, lo, hi,
        params);
}

std::vector<DeviationPoint> ImageDeviationCurve(const SegmentImage& image, int code, long double lo,
                                                long double hi, const CurveParams& params) {
    std::vector<DeviationPoint> curve;
    if (!detail::Evaluate(code, lo, withRange(params, lo, hi)))
        return curve;
    deviationAgainstInverse(
        [&image](long double signal) { return EvalSegmentImage(image, signal); }, code, lo, hi,
        withRange(params, lo, hi), &curve);
    return curve;
}

}  // namespace veld::lin
