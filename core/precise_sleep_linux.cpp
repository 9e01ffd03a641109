#include "precise_sleep.h"

#include <time.h>

#include <cerrno>

namespace tervalink {

// std::chrono::steady_clock is CLOCK_MONOTONIC, so its deadlines serve clock_nanosleep as they
// are; an absolute sleep wakes as punctually as the machine's timer allows, and a signal that
// interrupts it cannot make the pause longer.
void sleep_precisely_until(std::chrono::nanoseconds deadline)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(deadline);
    const timespec at{static_cast<time_t>(seconds.count()),
                      static_cast<long>((deadline - seconds).count())};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
    }
}

} // namespace tervalink
