#include "link/real_clock.h"

#include <QEventLoop>
#include <QTimer>

namespace veld::link {

namespace {

int ToTimerMs(Micros us) {
    // Round up: a wait must never end early.
    const auto ms = (us.count() + 999) / 1000;
    return static_cast<int>(std::max<std::int64_t>(ms, 0));
}

}  // namespace

RealClock::RealClock() {
    elapsed_.start();
}
RealClock::~RealClock() = default;

Micros RealClock::now() const {
    return Micros{elapsed_.nsecsElapsed() / 1000};
}

void RealClock::schedule(Micros delay, std::function<void()> fn) {
    QTimer::singleShot(ToTimerMs(delay), Qt::PreciseTimer, &context_, std::move(fn));
}

bool RealClock::runFor(Micros timeout, const std::function<bool()>& done) {
    if (done())
        return false;
    QEventLoop loop;
    bool expired = false;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        expired = true;
        loop.quit();
    });
    QEventLoop* outer = loop_;
    loop_ = &loop;
    timer.start(ToTimerMs(timeout));
    while (!expired && !done())
        loop.exec();
    loop_ = outer;
    // A wait nested in an event of another: the outer one's condition may have been met (and
    // its wake spent on this loop) meanwhile, so it looks again.
    if (outer != nullptr)
        outer->quit();
    return expired;
}

void RealClock::wake() {
    if (loop_ != nullptr)
        loop_->quit();
}

}  // namespace veld::link
