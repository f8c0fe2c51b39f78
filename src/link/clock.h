#pragma once

// Time as the transaction engine sees it. The real clock waits in a local event loop, so the
// window keeps working during a transaction; the virtual clock runs scheduled events in time
// order and costs no real time, which keeps time-outs and retries cheap to test.

#include <chrono>
#include <functional>
#include <map>
#include <memory>

namespace veld::link {

using Micros = std::chrono::microseconds;

class Clock {
public:
    virtual ~Clock() = default;

    virtual Micros now() const = 0;
    // Runs fn after the delay, from the event loop.
    virtual void schedule(Micros delay, std::function<void()> fn) = 0;
    // Processes events until done() holds or the timeout has run out. Returns true when the
    // timeout ran out, also when done() became true in the same pass as the expiry.
    virtual bool runFor(Micros timeout, const std::function<bool()>& done) = 0;
    // Called after an event that may have made a waiting done() true.
    virtual void wake() {}

    void pause(Micros duration) {
        runFor(duration, [] { return false; });
    }
};

class VirtualClock final : public Clock {
public:
    Micros now() const override { return now_; }
    void schedule(Micros delay, std::function<void()> fn) override;
    bool runFor(Micros timeout, const std::function<bool()>& done) override;
    // Runs every event due up to now + duration (for tests that drive time by hand).
    void advance(Micros duration) { pause(duration); }
    std::size_t pendingEvents() const { return events_.size(); }

private:
    Micros now_{0};
    std::uint64_t sequence_ = 0;  // keeps events of the same instant in scheduling order
    std::map<std::pair<Micros, std::uint64_t>, std::function<void()>> events_;
};

}  // namespace veld::link
