#include "link/clock.h"

#include <algorithm>

namespace veld::link {

void VirtualClock::schedule(Micros delay, std::function<void()> fn) {
    if (delay < Micros{0})
        delay = Micros{0};
    events_.emplace(std::make_pair(now_ + delay, sequence_++), std::move(fn));
}

bool VirtualClock::runFor(Micros timeout, const std::function<bool()>& done) {
    const Micros deadline = now_ + timeout;
    if (done())
        return false;
    while (!events_.empty() && events_.begin()->first.first <= deadline) {
        // One pass: every event of the same instant, then the condition.
        const Micros instant = events_.begin()->first.first;
        // A nested wait inside an event may have moved time on already; it never runs back.
        now_ = std::max(now_, instant);
        while (!events_.empty() && events_.begin()->first.first == instant) {
            auto node = events_.extract(events_.begin());
            node.mapped()();
        }
        if (done())
            return instant >= deadline;
    }
    now_ = std::max(now_, deadline);
    return true;
}

}  // namespace veld::link
