// How late absolute 10 ms sleeps return on this machine: the floor under every pause error that a
// benchmark reports, measured in the same run (as cyclictest measures wake-up latency).
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace tervalink::bench {

class WakeupProbe {
public:
    // Sleeps to successive 10 ms deadlines, `wakeups` times or until stop(), on a thread of its own
    // at the sending priority where `raise` and permission allow.
    WakeupProbe(bool raise, std::size_t wakeups);
    ~WakeupProbe();
    WakeupProbe(const WakeupProbe&) = delete;
    WakeupProbe& operator=(const WakeupProbe&) = delete;

    // Ends the probe; how late each wake-up came, in ms.
    std::vector<double> stop();
    // Waits for the probe's last wake-up.
    std::vector<double> wait();

private:
    std::atomic<bool> stopping_{false};
    std::vector<double> late_ms_;
    std::thread thread_;
};

double percentile(std::vector<double> values, double fraction);

} // namespace tervalink::bench
