#pragma once

#include <chrono>

namespace tervalink {

// Returns at the deadline of the steady clock (given as its time since the clock's epoch), never
// before, as punctually as the system's timer allows. Nothing cuts it short.
void sleep_precisely_until(std::chrono::nanoseconds deadline);

} // namespace tervalink
