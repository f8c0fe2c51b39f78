#pragma once

#include <QElapsedTimer>
#include <QObject>

#include "link/clock.h"

class QEventLoop;

namespace veld::link {

// Waits in a local event loop that a timer, a reply or a vanished port ends: the window keeps
// processing its events meanwhile, and nothing polls or sleeps.
class RealClock final : public Clock {
public:
    RealClock();
    ~RealClock() override;

    Micros now() const override;
    void schedule(Micros delay, std::function<void()> fn) override;
    bool runFor(Micros timeout, const std::function<bool()>& done) override;
    void wake() override;

private:
    QElapsedTimer elapsed_;
    QObject context_;  // owns nothing; scheduled calls die with the clock
    QEventLoop* loop_ = nullptr;
};

}  // namespace veld::link
