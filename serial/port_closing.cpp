#include "port_closing.h"

#include <algorithm>

#include "native_port.h"

namespace tervalink {

void drain_or_discard(OutputQueue& queue, TransmissionClock& clock, bool taking)
{
    if (taking) {
        StopRequest never; // nothing cuts the drain short but its bound
        const TransmissionClock::Time deadline = clock.now() + std::chrono::milliseconds(write_bound_ms);
        for (;;) {
            const std::optional<std::size_t> unsent = queue.unsent();
            if (unsent == std::size_t{0})
                return;
            if (!unsent || clock.now() >= deadline)
                break;
            clock.sleep_until(std::min<TransmissionClock::Time>(clock.now() + drain_poll_period, deadline),
                              never);
        }
    }
    queue.discard();
}

} // namespace tervalink
