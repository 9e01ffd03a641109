#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

#include "stop_request.h"
#include "tick_period.h"

namespace tervalink {

// The monotonic clock a transmission keeps its deadlines on.
class TransmissionClock {
public:
    using Time = std::chrono::nanoseconds; // from an origin of the clock's own

    virtual ~TransmissionClock() = default;
    virtual Time now() = 0;
    // Returns at the deadline, never before; returns false as soon as a stop is requested.
    virtual bool sleep_until(Time deadline, StopRequest& stop) = 0;
};

// The machine's monotonic clock: std::chrono::steady_clock (CLOCK_MONOTONIC on Linux,
// the performance counter on Windows).
class MonotonicClock : public TransmissionClock {
public:
    Time now() override;
    bool sleep_until(Time deadline, StopRequest& stop) override;
};

// A clock that jumps to each deadline at once: plans, tests, and anything that wants the frames
// without the waiting. Actions scheduled at a time run when the clock passes it.
class VirtualClock : public TransmissionClock {
public:
    Time now() override;
    bool sleep_until(Time deadline, StopRequest& stop) override;
    void advance(Time by); // time that passes without a sleep: a slow write, a stalled process
    void at(Time when, std::function<void()> action);

private:
    void run_due_actions(Time until);

    std::recursive_mutex mutex_; // actions may read the clock
    Time now_{0};
    std::vector<std::pair<Time, std::function<void()>>> actions_; // in the order scheduled
};

} // namespace tervalink
