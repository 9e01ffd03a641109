#pragma once

#include <chrono>

namespace tervalink {

// One pacing tick: every pause of the protocol is a whole number of these.
inline constexpr std::chrono::milliseconds tick_period{10};

} // namespace tervalink
