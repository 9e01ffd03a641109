#include "precise_sleep.h"
#include "precise_sleep_windows.h"

#include <timeapi.h>

namespace tervalink {
namespace {

// Not yet named by MinGW-w64's headers; Windows 10 1803 and later know it, older ones refuse it.
constexpr DWORD high_resolution_timer = 0x00000002; // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

using TimerUnits = std::chrono::duration<LONGLONG, std::ratio<1, 10'000'000>>;

// Windows' timers, high-resolution ones included, wake up to a millisecond late (under Wine, at
// its server's next whole millisecond): the timer aims this much short, and the rest is waited
// out on the processor, which a yield could hand to another program for longer.
constexpr std::chrono::nanoseconds spinning_stretch = std::chrono::milliseconds(1);
// A long wait ends later than a short one (under Wine, by about a millisecond at its median): a
// pause first waits until this long before its deadline, then aims again for the last stretch.
constexpr std::chrono::nanoseconds final_aim = std::chrono::milliseconds(20);

std::chrono::nanoseconds time_left(std::chrono::nanoseconds deadline)
{
    return deadline - std::chrono::steady_clock::now().time_since_epoch();
}

// What one pause waits on. A high-resolution waitable timer where Windows has one. Otherwise
// timed waits are only as fine as the system's timer period, 15.6 ms unless someone asks for
// 1 ms, which the pause does for as long as it lasts (each timeBeginPeriod is matched by a
// timeEndPeriod).
class PauseTimer {
public:
    PauseTimer()
        : timer_(::CreateWaitableTimerExW(nullptr, nullptr, high_resolution_timer, TIMER_ALL_ACCESS))
    {
        if (timer_ == nullptr)
            fine_period_ = ::timeBeginPeriod(1) == TIMERR_NOERROR;
    }
    ~PauseTimer()
    {
        if (timer_ != nullptr)
            ::CloseHandle(timer_);
        if (fine_period_)
            ::timeEndPeriod(1);
    }
    PauseTimer(const PauseTimer&) = delete;
    PauseTimer& operator=(const PauseTimer&) = delete;

    // Waits `wait` (relative: the steady clock gave it; Windows' relative timeouts do not follow
    // changes of the system time), or until `stop` is signalled: false then.
    bool wait(std::chrono::nanoseconds wait, HANDLE stop) const
    {
        LARGE_INTEGER due{}; // negative: relative, in units of 100 ns
        due.QuadPart = -std::chrono::ceil<TimerUnits>(wait).count();
        if (timer_ != nullptr && ::SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
            const HANDLE handles[] = {timer_, stop};
            return ::WaitForMultipleObjects(stop != nullptr ? 2 : 1, handles, FALSE, INFINITE) ==
                   WAIT_OBJECT_0;
        }
        const auto milliseconds =
            static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(wait).count());
        if (stop == nullptr) {
            ::Sleep(milliseconds);
            return true;
        }
        return ::WaitForSingleObject(stop, milliseconds) != WAIT_OBJECT_0;
    }

private:
    HANDLE timer_;
    bool fine_period_ = false;
};

// Waits on the timer until the last stretch, or until `stop`: false then. The timer is closed
// when this returns, before the last stretch: closing it is a call into the system (under Wine, a
// round trip to its server) that must not delay the deadline.
bool wait_for_last_stretch(std::chrono::nanoseconds deadline, HANDLE stop)
{
    const PauseTimer timer;
    for (auto left = time_left(deadline); left > spinning_stretch; left = time_left(deadline)) {
        if (!timer.wait(left - (left > final_aim ? final_aim : spinning_stretch), stop))
            return false;
    }
    return true;
}

} // namespace

// Never a condition variable: MinGW-w64's C++ library times those on the system clock, which
// advances once per timer tick (15.6 ms), so a wait could end two ticks late. The timer takes
// relative due times by what the steady clock (the performance counter) says is left.
bool sleep_precisely_until(std::chrono::nanoseconds deadline, HANDLE stop)
{
    if (!wait_for_last_stretch(deadline, stop))
        return false;
    while (time_left(deadline) > std::chrono::nanoseconds::zero())
        YieldProcessor();
    return true;
}

void sleep_precisely_until(std::chrono::nanoseconds deadline)
{
    sleep_precisely_until(deadline, nullptr);
}

} // namespace tervalink
