// Soak: continuous measurement, as the page "Měření" runs it, for ten minutes against veld-sim on
// a pseudo-terminal, on the real clock with the line's pacing, while about 1 % of the replies
// are damaged at random (no reply, wrong checksum, cut short, wrong address, late).
//
// Reports the measurements made and the failures (gaps in the trend, messages shown), the
// memory of this process after the first measurements and at the end, and how late a 10 ms
// timer of the event loop fired while the program waited; the last line is the verdict.
//
//   soak_bench [--seconds N] [--fault-percent P] [--pattern N]
//
// Not part of the test run: it takes ten minutes by default.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "bench_support.h"
#include "session/session.h"

namespace {

using namespace Qt::Literals::StringLiterals;
using veld::bench::ProcStatusKiB;

constexpr int kTimerMs = 10;
constexpr double kLatencyLimitMs = 100.0;
// Growth of the resident set from after the first measurements to the end that still counts as
// noise (allocator and Qt caches), far below what a leak per transaction would add in ten minutes.
constexpr long long kGrowthLimitKiB = 1024;
// The same for what the allocator has handed out (the trend's samples included: 24 bytes each).
constexpr long long kHeapGrowthLimitKiB = 256;
// Requests answered cleanly first, so that the whole read before the measurement is never hit.
constexpr int kCleanForRead = 20;

struct Options {
    int seconds = 600;
    double faultPercent = 1.0;
    unsigned pattern = 1;
};

bool ParseOptions(const QStringList& args, Options& o) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (i + 1 >= args.size())
            return false;
        bool ok = false;
        const QString value = args[++i];
        if (arg == u"--seconds"_s) {
            o.seconds = value.toInt(&ok);
            ok = ok && o.seconds > 0;
        } else if (arg == u"--fault-percent"_s) {
            o.faultPercent = value.toDouble(&ok);
            ok = ok && o.faultPercent >= 0 && o.faultPercent <= 100;
        } else if (arg == u"--pattern"_s) {
            o.pattern = value.toUInt(&ok);
        }
        if (!ok)
            return false;
    }
    return true;
}

// The fault schedule as veld-sim's --fault rules: a pseudo-random fault on about `percent` of
// the answered requests, fixed by `pattern` so a run can be repeated. Returns the arguments.
struct Schedule {
    QStringList arguments;
    std::vector<int> faultAt;  // answered-request indexes that get a fault, ascending
};

Schedule MakeSchedule(int requests, double percent, unsigned pattern) {
    std::mt19937 random(pattern);
    std::bernoulli_distribution hit(percent / 100.0);
    std::uniform_int_distribution<int> kind(0, 4);
    std::uniform_int_distribution<int> kept(1, 14);        // a ReadPV reply is 17 bytes
    std::uniform_int_distribution<int> lateMs(200, 1500);  // also beyond the 1000 ms time-out
    Schedule s;
    int clean = kCleanForRead;
    auto flush = [&] {
        if (clean > 0)
            s.arguments << u"--fault"_s << u"none:%1"_s.arg(clean);
        clean = 0;
    };
    for (int i = kCleanForRead; i < requests; ++i) {
        if (!hit(random)) {
            ++clean;
            continue;
        }
        flush();
        QString rule;
        switch (kind(random)) {
            case 0:
                rule = u"no-reply"_s;
                break;
            case 1:
                rule = u"bad-checksum"_s;
                break;
            case 2:
                rule = u"truncated=%1"_s.arg(kept(random));
                break;
            case 3:
                rule = u"wrong-address"_s;
                break;
            default:
                rule = u"delay=%1"_s.arg(lateMs(random));
                break;
        }
        s.arguments << u"--fault"_s << rule;
        s.faultAt.push_back(i);
    }
    return s;
}

// Lateness of timer ticks in 0.1 ms bins up to 2 s, fixed in size so that recording allocates
// nothing during the run; the maximum is kept exactly.
class Latency {
public:
    void add(double ms) {
        const auto bin =
            static_cast<std::size_t>(std::clamp(ms * 10.0, 0.0, static_cast<double>(kBins - 1)));
        ++bins_[bin];
        ++count_;
        max_ = std::max(max_, ms);
    }
    long long count() const { return count_; }
    double max() const { return max_; }
    double percentile(double p) const {
        const auto wanted = static_cast<long long>(p / 100.0 * static_cast<double>(count_));
        long long seen = 0;
        for (std::size_t i = 0; i < kBins; ++i) {
            seen += bins_[i];
            if (seen > wanted)
                return static_cast<double>(i + 1) / 10.0;  // upper edge of the bin
        }
        return max_;
    }

private:
    static constexpr std::size_t kBins = 20000;
    std::array<long long, kBins> bins_{};
    long long count_ = 0;
    double max_ = 0;
};

// Counts what the program showed instead of keeping every text.
class CountingPrompts final : public veld::Prompts {
public:
    std::map<QString, int> messages;
    int questions = 0;

    void message(const QString& text) override { ++messages[text]; }
    bool question(const QString&) override {
        ++questions;
        return true;
    }
    std::optional<QString> openFile(const veld::FileDialogRequest&) override { return {}; }
    std::optional<QString> saveFile(const veld::FileDialogRequest&) override { return {}; }
    void focus(const QString&) override {}
};

struct Memory {
    long long rss = -1;
    long long hwm = -1;
    long long heap = -1;  // KiB the allocator has handed out and not had back
    static Memory Now() {
        Memory m{ProcStatusKiB("VmRSS:").value_or(-1), ProcStatusKiB("VmHWM:").value_or(-1)};
#if defined(__GLIBC__)
        const struct mallinfo2 info = mallinfo2();
        m.heap = static_cast<long long>((info.uordblks + info.hblkhd) / 1024);
#endif
        return m;
    }
};

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// A thread that sleeps 5 ms at a time and notes when it woke late: then the machine, not the
// event loop, held everything up (this box has two cores shared with builds).
class StallWatch {
public:
    struct Stall {
        Clock::time_point from, to;
    };

    StallWatch() : thread_([this] { run(); }) {}
    ~StallWatch() { stop(); }
    StallWatch(const StallWatch&) = delete;
    StallWatch& operator=(const StallWatch&) = delete;

    void stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    // After stop(): how much of [from, to] the machine stood still.
    Clock::duration overlap(Clock::time_point from, Clock::time_point to) const {
        Clock::duration total{};
        for (std::size_t i = 0; i < std::min(count_, kStalls); ++i) {
            const Clock::time_point a = std::max(from, stalls_[i].from);
            const Clock::time_point b = std::min(to, stalls_[i].to);
            if (b > a)
                total += b - a;
        }
        return total;
    }
    std::size_t count() const { return count_; }
    double maxMs() const { return maxMs_; }

private:
    static constexpr auto kNap = std::chrono::milliseconds(5);
    static constexpr auto kNoticed = std::chrono::milliseconds(20);
    static constexpr std::size_t kStalls = 4096;

    void run() {
        while (!stop_) {
            const Clock::time_point due = Clock::now() + kNap;
            std::this_thread::sleep_for(kNap);
            const Clock::time_point woke = Clock::now();
            maxMs_ = std::max(maxMs_, Ms(woke - due));
            if (woke - due >= kNoticed)
                stalls_[count_++ % kStalls] = {due, woke};
        }
    }

    std::array<Stall, kStalls> stalls_{};
    std::size_t count_ = 0;
    double maxMs_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;  // last: starts when the rest is ready
};

// The ticks of the event loop that came latest, kept to be set against the machine's stalls at the
// end.
class WorstTicks {
public:
    struct Tick {
        Clock::time_point from, to;
        double lateMs = 0;
        bool waiting = false;  // a transaction waited
    };
    void add(const Tick& t) {
        auto least =
            std::min_element(ticks_.begin(), ticks_.end(),
                             [](const Tick& a, const Tick& b) { return a.lateMs < b.lateMs; });
        if (t.lateMs > least->lateMs)
            *least = t;
    }
    const Tick& worst() const {
        return *std::max_element(ticks_.begin(), ticks_.end(),
                                 [](const Tick& a, const Tick& b) { return a.lateMs < b.lateMs; });
    }
    // The largest lateness once the machine's own stalls within each tick are taken off.
    double maxOwnMs(const StallWatch& watch) const {
        double worst = 0;
        for (const Tick& t : ticks_)
            worst = std::max(worst, t.lateMs - Ms(watch.overlap(t.from, t.to)));
        return worst;
    }

private:
    std::array<Tick, 64> ticks_{};
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options o;
    if (!ParseOptions(app.arguments(), o)) {
        std::fprintf(stderr, "usage: soak_bench [--seconds N] [--fault-percent P] [--pattern N]\n");
        return 2;
    }
    const Memory atLaunch = Memory::Now();

    // A measurement every 1.5 s, up to three attempts each; the rest of the run is answered
    // cleanly should it make more requests than that.
    const int requests = kCleanForRead + o.seconds * 3;
    const Schedule schedule = MakeSchedule(requests, o.faultPercent, o.pattern);
    veld::bench::SimProcess sim(QStringLiteral(VELD_SIM_PATH),
                                QStringList{u"--pv-wave"_s, u"60"_s, u"--idle-timeout"_s,
                                            QString::number(o.seconds + 300)} +
                                    schedule.arguments);
    if (sim.path().isEmpty()) {
        std::fprintf(stderr, "veld-sim did not start\n");
        return 1;
    }

    QTemporaryDir dir;
    QSettings settings(dir.filePath(u"veld.ini"_s), QSettings::IniFormat);
    CountingPrompts prompts;
    veld::session::Session session(prompts, [&] {
        veld::session::Options so;
        so.port = sim.path();
        so.settings = &settings;
        return so;
    }());
    veld::config::MainWindowModel& m = session.model();
    veld::config::MainForm& f = m.form;
    veld::link::Link& link = session.link();

    // Every attempt is one request on the line, answered or not.
    long long attempts = 0;
    long long transactions = 0;
    link.onBusyChanged = [previous = link.onBusyChanged, &link, &attempts,
                          &transactions](bool busy) {
        if (previous)
            previous(busy);
        if (!busy) {
            attempts += link.attemptsMade();
            ++transactions;
        }
    };

    // The whole read, as a technician starts with; it enables the measurement buttons.
    m.userClicked(f.Precist);
    if (m.lastOutcome() != veld::config::Outcome::Completed || !f.Start_Mer.enabled) {
        std::fprintf(stderr, "the whole read before the measurement did not complete\n");
        return 1;
    }
    if (attempts > kCleanForRead)
        std::fprintf(stderr, "note: the read took %lld requests, faults began during it\n",
                     attempts);
    const double lo = std::min(f.Pocatek.text().toDouble(), f.Konec.text().toDouble());
    const double hi = std::max(f.Pocatek.text().toDouble(), f.Konec.text().toDouble());
    const long long readTransactions = transactions;

    Latency all, waiting;
    WorstTicks worst;
    Clock::time_point runStart, lastTick;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kTimerMs);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        const double late = std::max(Ms(now - lastTick) - kTimerMs, 0.0);
        worst.add({lastTick, now, late, link.busy()});
        lastTick = now;
        all.add(late);
        if (link.busy())
            waiting.add(late);
    });
    StallWatch machine;

    const veld::config::Trend& trend = m.measurement().trend();
    auto failures = [&] {
        return static_cast<long long>(trend.samples().size() - trend.validCount());
    };
    QElapsedTimer run;
    Memory warm;
    const int warmSeconds = std::min(30, std::max(1, o.seconds / 10));
    QTimer::singleShot(0, [&] {
        run.start();
        runStart = lastTick = Clock::now();
        tick.start();
        m.userClicked(f.Start_Mer);
    });
    QTimer::singleShot(std::chrono::seconds(warmSeconds), [&] { warm = Memory::Now(); });
    QTimer progress;
    QObject::connect(&progress, &QTimer::timeout, [&] {
        const Memory now = Memory::Now();
        std::printf(
            "%5lld s: %zu measurements, %lld failed, VmRSS %lld KiB, heap in use %lld KiB\n",
            run.elapsed() / 1000, trend.samples().size(), failures(), now.rss, now.heap);
        std::fflush(stdout);
    });
    progress.start(std::chrono::seconds(60));
    QTimer::singleShot(std::chrono::seconds(o.seconds), [&] {
        m.userClicked(f.Stop_mer);
        // Stop takes effect after the measurement that runs.
        auto* poll = new QTimer(&app);
        QObject::connect(poll, &QTimer::timeout, [&] {
            if (!m.measurement().continuousRunning() && !link.busy())
                app.quit();
        });
        poll->start(50);
    });
    app.exec();
    tick.stop();
    machine.stop();
    const double ownMax = worst.maxOwnMs(machine);
    const Memory atEnd = Memory::Now();

    // Results.
    const long long made = static_cast<long long>(trend.samples().size());
    long long outside = 0;
    for (const veld::config::TrendSample& s : trend.samples())
        if (s.value && (*s.value < lo || *s.value > hi))
            ++outside;
    // The simulator takes a schedule entry for every request it receives, answered or not.
    const auto injected = static_cast<long long>(std::count_if(
        schedule.faultAt.begin(), schedule.faultAt.end(), [&](int at) { return at < attempts; }));
    const long long expected = static_cast<long long>(o.seconds / 1.5);

    std::printf("run: %d s, faults on %.2f %% of requests (pattern %u)\n", o.seconds,
                o.faultPercent, o.pattern);
    std::printf("whole read: %lld transactions\n", readTransactions);
    std::printf(
        "measurements made: %lld (about %lld due), values %zu, failed %lld, outside "
        "%g..%g: %lld\n",
        made, expected, trend.validCount(), failures(), lo, hi, outside);
    std::printf("requests sent: %lld in %lld transactions; faults scheduled among them: %lld\n",
                attempts, transactions, injected);
    for (const auto& [text, count] : prompts.messages)
        std::printf("message shown %d x: \"%s\"\n", count, qUtf8Printable(text));
    std::printf("memory KiB: at launch VmRSS %lld VmHWM %lld\n", atLaunch.rss, atLaunch.hwm);
    std::printf("memory KiB: after %d s VmRSS %lld VmHWM %lld heap in use %lld\n", warmSeconds,
                warm.rss, warm.hwm, warm.heap);
    std::printf(
        "memory KiB: at end    VmRSS %lld VmHWM %lld heap in use %lld (the trend's %zu "
        "samples hold %zu)\n",
        atEnd.rss, atEnd.hwm, atEnd.heap, trend.samples().size(),
        trend.samples().capacity() * sizeof(veld::config::TrendSample) / 1024);
    std::printf(
        "event loop, %d ms timer, lateness ms: %lld ticks max %.1f p99 %.1f; while a "
        "transaction waits %lld ticks max %.1f p99 %.1f\n",
        kTimerMs, all.count(), all.max(), all.percentile(99), waiting.count(), waiting.max(),
        waiting.percentile(99));
    const WorstTicks::Tick& w = worst.worst();
    std::printf(
        "worst tick: %.1f ms late, %.0f s into the run, %s; the machine stood still for "
        "%.1f ms of it\n",
        w.lateMs, Ms(w.to - runStart) / 1000.0,
        w.waiting ? "a transaction waiting" : "no transaction waiting",
        Ms(machine.overlap(w.from, w.to)));
    std::printf(
        "machine: a sleeping thread woke 20 ms or more late %zu times, at most %.1f ms; "
        "the event loop's own largest lateness, those stalls taken off: %.1f ms\n",
        machine.count(), machine.maxMs(), ownMax);

    std::vector<std::string> problems;
    if (made < expected * 9 / 10)
        problems.push_back("too few measurements");
    if (failures() > injected)
        problems.push_back("more failures than faults");
    if (outside > 0)
        problems.push_back("values outside the stored range");
    if (prompts.questions > 0)
        problems.push_back("a question was asked");
    if (ownMax >= kLatencyLimitMs || all.percentile(99) >= kLatencyLimitMs)
        problems.push_back("event loop late by 100 ms or more");
    if (warm.rss < 0 || atEnd.rss - warm.rss > kGrowthLimitKiB ||
        atEnd.hwm - warm.hwm > kGrowthLimitKiB || atEnd.heap - warm.heap > kHeapGrowthLimitKiB)
        problems.push_back("memory grew");
    std::string verdict = problems.empty() ? "PASS" : "FAIL:";
    for (const std::string& p : problems)
        verdict += " " + p + ";";
    std::printf("verdict: %s\n", verdict.c_str());
    return problems.empty() ? 0 : 1;
}
