// Wall time of one transaction against its floor.
//
// The floor of a "ReadEEPROM" of 4 bytes: the 50 ms settle after raising DTR and RTS, the 1 ms
// after writing, and the bytes of request and reply at the line rate. 14400 bit/s with 11 bits
// a character (start, 8 data, parity, stop) is 0.764 ms a character; the request is 18 bytes
// (15 of frame, pad, 2 of CRC), so it alone takes 13.75 ms.

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <chrono>

#include "bench_support.h"
#include "benchmark_main.h"
#include "link/link.h"
#include "link/real_clock.h"
#include "link/serial_transport.h"

namespace {

using veld::bench::kCharMs;

void BM_ReadEeprom4OverPty(benchmark::State& state) {
    veld::bench::SimProcess sim(QStringLiteral(VELD_SIM_PATH),
                                {QStringLiteral("--idle-timeout"), QStringLiteral("120")});
    const QString path = sim.path();
    if (path.isEmpty()) {
        state.SkipWithError("veld-sim did not start");
        return;
    }

    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("veld.ini")), QSettings::IniFormat);
    veld::link::SerialTransport transport;
    veld::link::RealClock clock;
    veld::ScriptedPrompts prompts;
    veld::link::PortChoice choice;
    choice.selectOther(path, false);
    veld::link::Link link(transport, clock, prompts, choice, settings);

    double replyBytes = 0;
    double requestBytes = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        link.BuildRequest("ReadEEPROM", 36, 4);
        const bool failed = link.SendAndWait();
        const auto end = std::chrono::steady_clock::now();
        if (failed) {
            state.SkipWithError("transaction failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        replyBytes = static_cast<double>(link.replyFrame().size());
        requestBytes = static_cast<double>(link.request().size() + 3);  // the pad and the CRC
    }
    const double floorMs = 50.0 + 1.0 + (requestBytes + replyBytes) * kCharMs;
    state.counters["floor_ms"] = floorMs;
    state.counters["request_bytes"] = requestBytes;
    state.counters["reply_bytes"] = replyBytes;
}
BENCHMARK(BM_ReadEeprom4OverPty)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);

}  // namespace

int main(int argc, char** argv) {
    return veld::bench::RunBenchmarks(argc, argv);
}
