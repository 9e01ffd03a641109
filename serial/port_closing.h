#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

#include "transmission_clock.h"

namespace tervalink {

// The system's queue of bytes a port has handed to its device and the device has not sent yet.
class OutputQueue {
public:
    virtual ~OutputQueue() = default;
    // How many bytes still wait to leave; nothing when the system cannot tell.
    virtual std::optional<std::size_t> unsent() = 0;
    // Drops them: they are never sent.
    virtual void discard() = 0;
};

// How often a closing port looks at its queue: a 15-byte frame leaves in 2.6 ms at 57600 baud.
inline constexpr std::chrono::milliseconds drain_poll_period{1};

// What a port does before it closes. The bytes already handed to the device may leave for up to
// write_bound_ms, so that no close cuts a frame a healthy device is taking; what is still queued
// then is discarded, so that the close has nothing left to wait for (a tty's close otherwise
// waits for its queue up to its closing_wait, 30 s by default). A device known to be taking no
// data (`taking` false: one of the port's writes has failed) has had its bound already: its
// queue is discarded at once.
void drain_or_discard(OutputQueue& queue, TransmissionClock& clock, bool taking);

} // namespace tervalink
