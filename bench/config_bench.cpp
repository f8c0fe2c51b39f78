// Wall time of the whole write (a linearized Pt100) and of the whole read against veld-sim on a
// pseudo-terminal with its line pacing, each against its floor.
//
// The floor of one transaction is the 50 ms settle after raising DTR and RTS, the 1 ms after
// writing, and the bytes of request and reply at the line rate: 14400 bit/s with 11 bits a
// character is 0.764 ms a character. The write adds the 100 ms pause of the preset. Reported as
// ratio = wall time / floor (counter "ratio"), next to the floor itself.
//
// Each runs twice: as specified (fast:0) and with the fast transfer (fast:1), whose floor has the
// 50 ms settle once per operation and the bytes of every transaction, nothing else.

#include <benchmark/benchmark.h>

#include <QSettings>
#include <QTemporaryDir>
#include <chrono>
#include <functional>

#include "bench_support.h"
#include "benchmark_main.h"
#include "model/hw_presets.h"
#include "session/session.h"

namespace {

using namespace Qt::Literals::StringLiterals;

using veld::bench::kCharMs;
constexpr double kSettleMs = 50.0;
constexpr double kPerTransactionMs = kSettleMs + 1.0;

// veld-sim on a pseudo-terminal for the length of one benchmark.
class Simulator : public veld::bench::SimProcess {
public:
    Simulator() : SimProcess(QStringLiteral(VELD_SIM_PATH), {u"--idle-timeout"_s, u"300"_s}) {}
};

// The program on the real clock, talking to the simulator; counts the floor of every
// transaction it runs.
class Program {
public:
    Program(const QString& port, bool fast)
        : session_(prompts_,
                   [&] {
                       veld::session::Options o;
                       o.port = port;
                       o.settings = &settings_;
                       o.fastTransfer = fast;
                       return o;
                   }()),
          fast_(fast) {
        veld::link::Link& link = session_.link();
        auto previous = link.onBusyChanged;
        link.onBusyChanged = [this, previous, &link](bool busy) {
            if (previous)
                previous(busy);
            if (busy)
                return;
            // Reply: preamble, delimiter, five address bytes, command, byte count, its data
            // (response code, status, payload), checksum.
            const double reply = static_cast<double>(veld::link::kDefaultReplyPreamble + 9 +
                                                     link.replyData().size());
            // The request, then the pad and the CRC.
            const double request = static_cast<double>(link.request().size() + 3);
            bytesMs_ += (request + reply) * kCharMs;
            ++transactions_;
        };
    }

    veld::config::MainWindowModel& model() { return session_.model(); }
    veld::ScriptedPrompts& prompts() { return prompts_; }

    // Runs `action`, returns its wall time; floor() and transactions() cover it alone.
    double timed(const std::function<bool()>& action, bool& ok) {
        bytesMs_ = 0;
        transactions_ = 0;
        const auto start = std::chrono::steady_clock::now();
        ok = action();
        const auto end = std::chrono::steady_clock::now();
        return std::chrono::duration<double, std::milli>(end - start).count();
    }
    double floor() const {
        return bytesMs_ + (fast_ ? kSettleMs : kPerTransactionMs * transactions_);
    }
    int transactions() const { return transactions_; }

private:
    QTemporaryDir dir_;
    QSettings settings_{dir_.filePath(u"veld.ini"_s), QSettings::IniFormat};
    veld::ScriptedPrompts prompts_;  // answers Yes
    veld::session::Session session_;
    bool fast_;
    double bytesMs_ = 0;
    int transactions_ = 0;
};

// Sums over the iterations; the ratio is that of the sums.
struct Totals {
    double wallMs = 0;
    double floorMs = 0;

    void add(benchmark::State& state, double wall, const Program& program, double extraMs) {
        state.SetIterationTime(wall / 1000.0);
        wallMs += wall;
        floorMs += program.floor() + extraMs;
        state.counters["floor_ms"] = program.floor() + extraMs;
        state.counters["ratio"] = wallMs / floorMs;
        state.counters["transactions"] = program.transactions();
        // What the line and the port cost beyond the floor, per transaction.
        state.counters["excess_ms_per_transaction"] =
            (wall - program.floor() - extraMs) / program.transactions();
    }
};

// Clicks the control once per iteration and times it; a run that does not complete ends the
// benchmark with an error.
void TimeClicks(benchmark::State& state, Program& program, veld::config::Control& control,
                double extraMs) {
    veld::config::MainWindowModel& m = program.model();
    Totals totals;
    for (auto _ : state) {
        bool ok = false;
        const double wall = program.timed(
            [&] {
                m.userClicked(control);
                return m.lastOutcome() == veld::config::Outcome::Completed;
            },
            ok);
        if (!ok) {
            state.SkipWithError("the operation did not complete");
            break;
        }
        totals.add(state, wall, program, extraMs);
    }
}

void BM_WholeWritePt100(benchmark::State& state) {
    Simulator sim;
    if (sim.path().isEmpty()) {
        state.SkipWithError("veld-sim did not start");
        return;
    }
    Program program(sim.path(), state.range(0) != 0);
    veld::config::MainWindowModel& m = program.model();
    veld::config::MainForm& f = m.form;
    m.userEdited(f.Vstup, u"odporový teploměr Pt100"_s);
    m.userEdited(f.PripCidl, u"čtyřvodičově"_s);
    for (auto* edit : {&f.Pocatek, &f.Konec}) {
        m.userEdited(*edit, edit == &f.Pocatek ? u"0"_s : u"100"_s);
        m.userLeft(*edit);
    }
    TimeClicks(state, program, f.Poslat, static_cast<double>(veld::model::kHwPresetPause.count()));
}
BENCHMARK(BM_WholeWritePt100)
    ->ArgName("fast")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_WholeRead(benchmark::State& state) {
    Simulator sim;
    if (sim.path().isEmpty()) {
        state.SkipWithError("veld-sim did not start");
        return;
    }
    Program program(sim.path(), state.range(0) != 0);
    TimeClicks(state, program, program.model().form.Precist, 0.0);
}
BENCHMARK(BM_WholeRead)
    ->ArgName("fast")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    return veld::bench::RunBenchmarks(argc, argv);
}
