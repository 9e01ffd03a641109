#pragma once
// Windows only: a pause that a stop event can end.
#include <windows.h>

#include <chrono>

namespace tervalink {

// Returns at the deadline of the steady clock (its time since the clock's epoch), never before;
// returns false at once when `stop` (an event, or nullptr for none) is signalled.
bool sleep_precisely_until(std::chrono::nanoseconds deadline, HANDLE stop);

} // namespace tervalink
