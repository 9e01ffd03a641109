#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>

namespace tervalink {

// Ends a running transmission from another thread: DISCONNECT, a closing window, Ctrl-C. Its
// pauses wait on it, so that a stop ends a pause at once.
class StopRequest {
public:
    StopRequest();
    ~StopRequest();
    StopRequest(const StopRequest&) = delete;
    StopRequest& operator=(const StopRequest&) = delete;

    void request(const std::string& description); // the first description given stays
    void reset();
    bool requested() const;
    std::string description() const;

    // Returns at the deadline of the steady clock, never before, as punctually as the system's
    // timer allows; returns false as soon as a stop is requested.
    bool sleep_until(std::chrono::steady_clock::time_point deadline);

private:
    struct Signal; // how the system wakes a sleeping pause
    void wake();   // the stop was requested: every pause ends now; with the mutex held
    void rearm();  // after a reset; with the mutex held
    std::unique_ptr<Signal> signal_;
    mutable std::mutex mutex_;
    bool requested_ = false;
    std::string description_;
};

} // namespace tervalink
