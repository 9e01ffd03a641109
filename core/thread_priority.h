#pragma once

#include <string>

namespace tervalink {

// Asks for a real-time (SCHED_FIFO) or else a higher nice priority for the calling thread, as far
// as this user is allowed; never fails. Says what it got: "SCHED_FIFO 20", "nice -10", "normal".
std::string raise_sending_priority();

} // namespace tervalink
