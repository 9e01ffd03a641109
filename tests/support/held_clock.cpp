#include "held_clock.h"

namespace tervalink::test {

void HeldClock::hold_at_pause(int index)
{
    const std::lock_guard lock(mutex_);
    hold_at_ = index;
}

bool HeldClock::wait_until_held(std::chrono::seconds bound)
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, bound, [this] { return holding_; });
}

void HeldClock::release()
{
    {
        const std::lock_guard lock(mutex_);
        hold_at_ = -1;
    }
    changed_.notify_all();
}

TransmissionClock::Time HeldClock::now() { return virtual_.now(); }

bool HeldClock::sleep_until(Time deadline, StopRequest& stop)
{
    std::unique_lock lock(mutex_);
    if (pauses_++ == hold_at_) {
        holding_ = true;
        changed_.notify_all();
        // A stop wakes the StopRequest, not this clock: look at it every millisecond.
        while (hold_at_ != -1 && !stop.requested())
            changed_.wait_for(lock, std::chrono::milliseconds(1));
        holding_ = false;
    }
    lock.unlock();
    return virtual_.sleep_until(deadline, stop);
}

} // namespace tervalink::test
