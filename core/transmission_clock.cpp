#include "transmission_clock.h"

#include "precise_sleep.h"

#include <algorithm>

namespace tervalink {

void StopRequest::request(const std::string& description)
{
    {
        const std::lock_guard lock(mutex_);
        if (requested_)
            return;
        requested_ = true;
        description_ = description;
    }
    requested_signal_.notify_all();
}

void StopRequest::reset()
{
    const std::lock_guard lock(mutex_);
    requested_ = false;
    description_.clear();
}

bool StopRequest::requested() const
{
    const std::lock_guard lock(mutex_);
    return requested_;
}

std::string StopRequest::description() const
{
    const std::lock_guard lock(mutex_);
    return description_;
}

bool StopRequest::sleep_until(std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(mutex_);
    return !requested_signal_.wait_until(lock, deadline, [this] { return requested_; });
}

TransmissionClock::Time MonotonicClock::now()
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

// A stop wakes the condition variable at once, so the pause sleeps there until shortly before its
// deadline; the last stretch is the system's precise sleep, which wakes as punctually as the
// machine's timer allows. A stop in that stretch is seen before the next frame.
bool MonotonicClock::sleep_until(Time deadline, StopRequest& stop)
{
    const auto until = std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(deadline -
                                                                        precise_sleep_lead()));
    if (!stop.sleep_until(until))
        return false;
    sleep_precisely_until(deadline);
    return !stop.requested();
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
