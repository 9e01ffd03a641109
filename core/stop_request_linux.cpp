#include "stop_request.h"

#include <condition_variable>

#include "precise_sleep.h"

namespace tervalink {
namespace {

// A condition variable's timed wait on the steady clock wakes within microseconds of its time
// here; the last stretch is left to the precise sleep.
constexpr auto precise_stretch = std::chrono::milliseconds(2);

} // namespace

struct StopRequest::Signal {
    std::condition_variable requested;
};

StopRequest::StopRequest() : signal_(std::make_unique<Signal>()) {}

StopRequest::~StopRequest() = default;

void StopRequest::wake() { signal_->requested.notify_all(); }

// The condition variable reads the flag itself: nothing to rearm.
void StopRequest::rearm() {}

// A stop in the last stretch is seen when it ends, before the next frame.
bool StopRequest::sleep_until(std::chrono::steady_clock::time_point deadline)
{
    {
        std::unique_lock lock(mutex_);
        if (signal_->requested.wait_until(lock, deadline - precise_stretch,
                                          [this] { return requested_; }))
            return false;
    }
    sleep_precisely_until(deadline.time_since_epoch());
    return !requested();
}

} // namespace tervalink
