// Each build runs once per configuration write; the target is well under 1 ms apiece.
// The spline benchmarks also report the table's deviation from the exact inverse
// characteristic over the 901 test points (degrees), largest and root mean square.

#include "lin/lin_math.h"

#include <benchmark/benchmark.h>

namespace {

using namespace veld::lin;

class NullMessages final : public LinMessages {
public:
    void message(const std::string&) override {}
};

struct World {
    NullMessages messages;
    PointStore store;
    LinMath math{messages, store};
};

void BM_BuildSplineTable(benchmark::State& state, int code, long double lo, long double hi) {
    World w;
    w.math.LinSensor = code;
    w.math.DisplayCurve = code;
    w.math.CurveRangeLo = lo;
    w.math.CurveRangeHi = hi;
    for (auto _ : state) {
        const bool ok = w.math.BuildSplineTable();
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(w.math.SplineC3.data());
    }
    if (!w.math.BuildSplineTable()) {
        state.SkipWithError("spline build failed");
        return;
    }
    const Deviation image = w.math.ImageDeviation(*w.math.SplineImage());
    state.counters["max_dev_C"] = static_cast<double>(w.math.SplineDeviation.max);
    state.counters["rms_dev_C"] = static_cast<double>(w.math.SplineDeviation.rms);
    state.counters["image_max_dev_C"] = static_cast<double>(image.max);
    state.counters["image_rms_dev_C"] = static_cast<double>(image.rms);
}
BENCHMARK_CAPTURE(BM_BuildSplineTable, Pt100_0_100, kCurvePt100, 0.0L, 100.0L);
BENCHMARK_CAPTURE(BM_BuildSplineTable, Pt100_m200_850, kCurvePt100, -200.0L, 850.0L);
BENCHMARK_CAPTURE(BM_BuildSplineTable, K_0_1300, kCurveK, 0.0L, 1300.0L);
BENCHMARK_CAPTURE(BM_BuildSplineTable, K_m200_1370, kCurveK, -200.0L, 1370.0L);
BENCHMARK_CAPTURE(BM_BuildSplineTable, S_0_1600, kCurveS, 0.0L, 1600.0L);
BENCHMARK_CAPTURE(BM_BuildSplineTable, B_600_1800, kCurveB, 600.0L, 1800.0L);

// 100 points of a Pt100 table (ohms to degrees, 0..850), fitted with degree 8.
void BM_FitPolynomialDegree8(benchmark::State& state) {
    World w;
    std::vector<Point> points;
    for (int i = 0; i < 100; ++i) {
        const long double t = 850.0L * i / 99;
        points.push_back({w.math.SignalAt(kCurvePt100, t), t});
    }
    w.store.load(points);
    w.math.DisplayCurve = kCurveFileLine;
    w.math.LinSensor = kCurveFileLine;
    w.math.CurveRangeLo = 0;
    w.math.CurveRangeHi = 850;
    w.math.LinStep = 8.5L;
    w.math.PolyDegree = 8;
    for (auto _ : state) {
        const bool ok = w.math.FitPolynomial();
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(w.math.PolyCoefficients.data());
    }
    state.counters["max_dev_C"] = static_cast<double>(w.math.FitMaxDeviation);
}
BENCHMARK(BM_FitPolynomialDegree8);

void BM_BuildLineSegments21(benchmark::State& state) {
    World w;
    std::vector<Point> points;
    for (int i = 0; i < 21; ++i)
        points.push_back({static_cast<long double>(i) * 0.75L, static_cast<long double>(i * i)});
    w.store.load(points);
    SegmentImage image;
    for (auto _ : state) {
        const bool ok = w.math.BuildLineSegments(image);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(image.groups.data());
    }
}
BENCHMARK(BM_BuildLineSegments21);

}  // namespace

BENCHMARK_MAIN();
