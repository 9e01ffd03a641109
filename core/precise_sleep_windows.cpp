#include "precise_sleep.h"

#include <windows.h>
#include <timeapi.h>

#include <mutex>

namespace tervalink {
namespace {

// Not yet named by MinGW-w64's headers; Windows 10 1803 and later know it, older ones refuse it.
constexpr DWORD high_resolution_timer = 0x00000002; // CREATE_WAITABLE_TIMER_HIGH_RESOLUTION

using TimerUnits = std::chrono::duration<LONGLONG, std::ratio<1, 10'000'000>>;

TransmissionClock::Time time_left(TransmissionClock::Time deadline)
{
    return deadline - std::chrono::steady_clock::now().time_since_epoch();
}

// Without a high-resolution timer, Sleep is only as fine as the system's timer period: 15.6 ms
// unless someone asks for 1 ms, which the process does once, here.
void sleep_coarsely(TransmissionClock::Time left)
{
    static std::once_flag fine_period;
    std::call_once(fine_period, [] { ::timeBeginPeriod(1); });
    const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    ::Sleep(static_cast<DWORD>(milliseconds));
}

} // namespace

// Windows' timers, high-resolution ones included, wake up to a millisecond late (under Wine, at
// its server's next whole millisecond). So the timer aims a millisecond short, on relative due
// times by what the steady clock says is left, and the last millisecond is waited out on the
// processor, which a yield could hand to another program for longer: about 1 ms of a core in each
// pause of 100 ms or more.
void sleep_precisely_until(TransmissionClock::Time deadline)
{
    constexpr TransmissionClock::Time yielding_stretch = std::chrono::milliseconds(1);
    const HANDLE timer =
        ::CreateWaitableTimerExW(nullptr, nullptr, high_resolution_timer, TIMER_ALL_ACCESS);
    for (auto left = time_left(deadline); left > yielding_stretch; left = time_left(deadline)) {
        LARGE_INTEGER due{}; // negative: relative, in units of 100 ns
        due.QuadPart = -std::chrono::ceil<TimerUnits>(left - yielding_stretch).count();
        if (timer == nullptr || !::SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) ||
            ::WaitForSingleObject(timer, INFINITE) != WAIT_OBJECT_0)
            sleep_coarsely(left - yielding_stretch);
    }
    if (timer != nullptr)
        ::CloseHandle(timer);
    while (time_left(deadline) > TransmissionClock::Time::zero())
        YieldProcessor();
}

// A condition variable's timed wait rounds to whole milliseconds and wakes on the system's timer
// period, 15.6 ms by default: the precise sleep takes over well before that.
TransmissionClock::Time precise_sleep_lead()
{
    return std::chrono::milliseconds(20);
}

} // namespace tervalink
