#pragma once

#include <chrono>
#include <memory>

namespace tervalink {

enum class ArrivalWait {
    look_again,  // a serial port may have appeared: look at the inventory again
    timed_out,   // the deadline passed
    interrupted, // interrupt() was called
};

// Wakes a waiting thread when a serial port appears (adapter_arrivals_linux.cpp,
// adapter_arrivals_windows.cpp), so that a line waiting for its adapter looks at the inventory
// only when there is something new to see.
class AdapterArrivals {
public:
    virtual ~AdapterArrivals() = default;
    // From now on until stop_listening(), an arrival wakes wait(). Called before the inventory is
    // looked at, so that no arrival falls between the two. Throws Failure when the system cannot
    // tell.
    virtual void listen() = 0;
    virtual void stop_listening() = 0;
    // Until an arrival, the deadline, or interrupt(), whichever comes first.
    virtual ArrivalWait wait(std::chrono::steady_clock::time_point deadline) = 0;
    // From another thread: the wait in progress and every later one end at once.
    virtual void interrupt() = 0;
};

// This system's arrivals.
std::unique_ptr<AdapterArrivals> system_adapter_arrivals();

} // namespace tervalink
