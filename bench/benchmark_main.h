#pragma once

// The main of a Google Benchmark program whose runs need Qt's event loop.

#include <benchmark/benchmark.h>

#include <QCoreApplication>

namespace veld::bench {

inline int RunBenchmarks(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace veld::bench
