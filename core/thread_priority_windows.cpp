#include "thread_priority.h"

#include <windows.h>

namespace tervalink {

// Time-critical is the highest priority a thread of a normal-class process can have, and any user
// may set it; the sender sleeps almost all the time, so it takes nothing from the rest.
std::string raise_sending_priority()
{
    const HANDLE self = ::GetCurrentThread();
    if (::SetThreadPriority(self, THREAD_PRIORITY_TIME_CRITICAL))
        return "time critical";
    if (::SetThreadPriority(self, THREAD_PRIORITY_HIGHEST))
        return "highest";
    return "normal";
}

} // namespace tervalink
