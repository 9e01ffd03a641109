#include "wakeup_probe.h"

#include <algorithm>
#include <chrono>

#include "precise_sleep.h"
#include "thread_priority.h"

namespace tervalink::bench {

// The same last stretch a pause ends with, so the loop shows what this system's timer allows.
WakeupProbe::WakeupProbe(bool raise, std::size_t wakeups)
    : thread_([this, raise, wakeups] {
          if (raise)
              raise_sending_priority();
          auto deadline = std::chrono::steady_clock::now().time_since_epoch();
          while (late_ms_.size() < wakeups && !stopping_) {
              deadline += std::chrono::milliseconds(10);
              sleep_precisely_until(deadline);
              late_ms_.push_back(std::chrono::duration<double, std::milli>(
                                     std::chrono::steady_clock::now().time_since_epoch() - deadline)
                                     .count());
          }
      })
{
}

WakeupProbe::~WakeupProbe() { stop(); }

std::vector<double> WakeupProbe::stop()
{
    stopping_ = true;
    return wait();
}

std::vector<double> WakeupProbe::wait()
{
    if (thread_.joinable())
        thread_.join();
    return late_ms_;
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * double(values.size() - 1) + 0.5)];
}

} // namespace tervalink::bench
