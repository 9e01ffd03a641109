#include "stop_request.h"

#include <windows.h>

#include "precise_sleep_windows.h"

namespace tervalink {

// A manual-reset event: a pause waits on it and on its timer together, so a stop ends the pause
// at once. (The C++ library's timed waits run on the system clock here; see precise_sleep_windows.)
struct StopRequest::Signal {
    HANDLE requested = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Signal() { ::CloseHandle(requested); }
};

StopRequest::StopRequest() : signal_(std::make_unique<Signal>()) {}

StopRequest::~StopRequest() = default;

void StopRequest::wake() { ::SetEvent(signal_->requested); }

void StopRequest::rearm() { ::ResetEvent(signal_->requested); }

bool StopRequest::sleep_until(std::chrono::steady_clock::time_point deadline)
{
    return sleep_precisely_until(deadline.time_since_epoch(), signal_->requested) && !requested();
}

} // namespace tervalink
