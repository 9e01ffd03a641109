#pragma once
// Windows only: a pause that a stop event can end.
#include <windows.h>

#include <chrono>

namespace tervalink {

// Returns at the deadline of the steady clock (its time since the clock's epoch), never before;
// returns false at once when `stop` (an event, or nullptr for none) is signalled before the last
// millisecond. A stop in that millisecond is the caller's to see: asking the event then would
// cost a call into the system after the deadline.
bool sleep_precisely_until(std::chrono::nanoseconds deadline, HANDLE stop);

} // namespace tervalink
