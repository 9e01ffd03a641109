#include "wakeup_probe.h"

#include <time.h>

#include <algorithm>

#include "thread_priority.h"

namespace tervalink::bench {

WakeupProbe::WakeupProbe(bool raise, std::size_t wakeups)
    : thread_([this, raise, wakeups] {
          if (raise)
              raise_sending_priority();
          timespec deadline{};
          ::clock_gettime(CLOCK_MONOTONIC, &deadline);
          while (late_ms_.size() < wakeups && !stopping_) {
              deadline.tv_nsec += 10'000'000;
              if (deadline.tv_nsec >= 1'000'000'000) {
                  deadline.tv_nsec -= 1'000'000'000;
                  ++deadline.tv_sec;
              }
              ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
              timespec woke{};
              ::clock_gettime(CLOCK_MONOTONIC, &woke);
              late_ms_.push_back(double(woke.tv_sec - deadline.tv_sec) * 1e3 +
                                 double(woke.tv_nsec - deadline.tv_nsec) / 1e6);
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
