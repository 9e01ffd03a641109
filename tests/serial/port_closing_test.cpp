// serial/port_closing: how long a closing port lets its queue drain, and when it discards it, on a
// virtual clock.
#include <gtest/gtest.h>

#include "port_closing.h"

namespace tervalink {
namespace {

using std::chrono::milliseconds;

// Holds `queued` bytes until `empties_at` (never when unset); `queued` unset: unreadable.
struct ScriptedQueue : OutputQueue {
    ScriptedQueue(VirtualClock& c, std::optional<std::size_t> q, std::optional<milliseconds> e) : clock(c), queued(q), empties_at(e) {}
    std::optional<std::size_t> unsent() override { ++looks; return empties_at && clock.now() >= *empties_at ? 0 : queued; }
    void discard() override { discarded_at = clock.now(); }
    VirtualClock& clock;
    std::optional<std::size_t> queued;
    std::optional<milliseconds> empties_at;
    std::optional<TransmissionClock::Time> discarded_at;
    int looks = 0;
};

TEST(PortClosing, DrainsWithinTheWriteBoundThenDiscards)
{
    const struct { const char* what; bool taking; std::optional<std::size_t> queued; std::optional<milliseconds> empties_at;
                   milliseconds returns_at; bool discards; } cases[] = {
        {"nothing queued", true, 0, {}, milliseconds(0), false},
        {"a full queue that empties at 40 ms", true, 4095, milliseconds(40), milliseconds(40), false},
        {"empties just at the bound", true, 4095, milliseconds(100), milliseconds(100), false},
        {"empties just after the bound", true, 4095, milliseconds(101), milliseconds(100), true},
        {"a stalled device", true, 4095, {}, milliseconds(100), true},
        {"a queue the system cannot read", true, std::nullopt, {}, milliseconds(0), true},
        {"a write has failed, queue reads empty", false, 0, {}, milliseconds(0), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        VirtualClock clock;
        ScriptedQueue queue(clock, c.queued, c.empties_at);
        drain_or_discard(queue, clock, c.taking);
        EXPECT_EQ(clock.now(), c.returns_at);
        EXPECT_EQ(queue.discarded_at, c.discards ? std::optional(clock.now()) : std::nullopt);
        EXPECT_EQ(queue.looks > 0, c.taking); // a failed port's queue is not even looked at
    }
}

} // namespace
} // namespace tervalink
