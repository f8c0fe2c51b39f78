// The live trend must not slow the page "Měření": a measurement arrives every 1.5 s, and the
// chart with 10 000 points (four hours of continuous measurement) has to take in the new point
// and draw itself again well within that. Offscreen, so the figures are the painting on the CPU
// without a display's compositing.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <optional>

#include "common/prompts.h"
#include "config/trend.h"
#include "ui/trend_chart.h"

namespace {

using namespace std::chrono_literals;

// A slow wave with a ripple; every `gapEvery`-th measurement fails (0: none does).
std::optional<double> Value(std::size_t i, std::size_t gapEvery) {
    if (gapEvery != 0 && i % gapEvery == gapEvery - 1)
        return std::nullopt;
    const double x = static_cast<double>(i);
    return 50.0 + 40.0 * std::sin(x / 300.0) + 0.8 * std::sin(x * 7.3);
}

veld::config::Trend::Micros Tick(std::size_t i) {
    return std::chrono::milliseconds(1500) * static_cast<long long>(i + 1);
}

struct World {
    World(std::size_t points, std::size_t gapEvery) : gapEvery_(gapEvery), chart(trend, prompts) {
        chart.resize(900, 420);
        fill(points);
    }
    void fill(std::size_t points) {
        trend.start(0s, QStringLiteral("°C"), 3);
        for (std::size_t i = 0; i < points; ++i)
            trend.add(Tick(i), Value(i, gapEvery_));
        chart.refresh();
        draw();
        QCoreApplication::processEvents();
    }
    void addOne() {
        const std::size_t i = trend.samples().size();
        trend.add(Tick(i), Value(i, gapEvery_));
        chart.refresh();
    }
    void draw() {
        QPainter painter(&image);
        chart.render(&painter);
    }

    std::size_t gapEvery_;
    veld::ScriptedPrompts prompts;
    veld::config::Trend trend;
    veld::ui::TrendChart chart;
    QImage image{900, 420, QImage::Format_ARGB32_Premultiplied};
};

// Keeps the trend near its nominal size however many iterations the library chooses.
void Regrow(benchmark::State& state, World& world, std::size_t points) {
    if (world.trend.samples().size() < points + 200)
        return;
    state.PauseTiming();
    world.fill(points);
    state.ResumeTiming();
}

std::size_t Points(const benchmark::State& state) {
    return static_cast<std::size_t>(state.range(0));
}
std::size_t GapEvery(const benchmark::State& state) {
    return static_cast<std::size_t>(state.range(1));
}

// Painting the whole widget (chart, axes, labels, button) as a repaint of the page does.
void BM_Redraw(benchmark::State& state) {
    World world(Points(state), GapEvery(state));
    for (auto _ : state)
        world.draw();
    state.counters["segments"] = world.chart.segmentCount();
}

// One measurement arrives: into the trend, into the series, the axes and labels updated.
void BM_AppendOne(benchmark::State& state) {
    World world(Points(state), GapEvery(state));
    for (auto _ : state) {
        world.addOne();
        Regrow(state, world, Points(state));
    }
}

// What every tick costs the page: the append and the repaint that follows it.
void BM_Tick(benchmark::State& state) {
    World world(Points(state), GapEvery(state));
    for (auto _ : state) {
        world.addOne();
        world.draw();
        Regrow(state, world, Points(state));
    }
}

// After Start with a full trend already there (e.g. the chart placed on a page late): one
// rebuild of every series.
void BM_Rebuild(benchmark::State& state) {
    World world(Points(state), GapEvery(state));
    for (auto _ : state) {
        state.PauseTiming();
        world.trend.start(0s, QStringLiteral("°C"), 3);
        for (std::size_t i = 0; i < Points(state); ++i)
            world.trend.add(Tick(i), Value(i, GapEvery(state)));
        state.ResumeTiming();
        world.chart.refresh();
    }
}

// {points, a failed measurement every N-th (0: none)}: no gap, a gap every 500 (one in 12.5
// minutes), and the worst case of every other measurement failing.
void Cases(benchmark::internal::Benchmark* b) {
    b->Args({10000, 0})->Args({10000, 500})->Args({10000, 2})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Redraw)->Apply(Cases);
BENCHMARK(BM_AppendOne)->Apply(Cases);
BENCHMARK(BM_Tick)->Apply(Cases);
BENCHMARK(BM_Rebuild)->Apply(Cases);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
