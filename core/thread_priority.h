#pragma once

#include <string>

namespace tervalink {

// Asks for the highest priority this user may give the calling thread; never fails. Says what it
// got. Linux: real-time (SCHED_FIFO) or else a lower nice value, which raises the thread's share
// of the processor: "SCHED_FIFO 20", "nice -10", "normal". Windows: "time critical", "highest", "normal".
std::string raise_sending_priority();

} // namespace tervalink
