#include "transmission_clock.h"

#include <algorithm>

namespace tervalink {

TransmissionClock::Time MonotonicClock::now()
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

bool MonotonicClock::sleep_until(Time deadline, StopRequest& stop)
{
    return stop.sleep_until(std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(deadline)));
}

TransmissionClock::Time VirtualClock::now()
{
    const std::lock_guard lock(mutex_);
    return now_;
}

void VirtualClock::advance(Time by)
{
    const std::lock_guard lock(mutex_);
    run_due_actions(now_ + by);
}

void VirtualClock::at(Time when, std::function<void()> action)
{
    const std::lock_guard lock(mutex_);
    actions_.emplace_back(when, std::move(action));
}

bool VirtualClock::sleep_until(Time deadline, StopRequest& stop)
{
    if (stop.requested())
        return false;
    const std::lock_guard lock(mutex_);
    run_due_actions(std::max(deadline, now_));
    return !stop.requested();
}

// Runs, in time order, every action due by `until`; the clock stands at each one's time while it
// runs, then at `until`.
void VirtualClock::run_due_actions(Time until)
{
    for (;;) {
        std::function<void()> action;
        {
            auto due = std::min_element(actions_.begin(), actions_.end(),
                                        [](const auto& a, const auto& b) { return a.first < b.first; });
            if (due == actions_.end() || due->first > until)
                break;
            now_ = std::max(now_, due->first);
            action = std::move(due->second);
            actions_.erase(due);
        }
        action();
    }
    now_ = std::max(now_, until);
}

} // namespace tervalink
