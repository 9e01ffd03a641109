// serial/port_closing: how long a closing port lets its queue drain, and when it discards it, on a
// virtual clock.
#include <gtest/gtest.h>

#include "port_closing.h"

namespace tervalink {
namespace {

using std::chrono::milliseconds;

// A queue holding `queued` bytes until `empties_at` (never, when it is unset), or one the system
// cannot read.
class ScriptedQueue : public OutputQueue {
public:
    ScriptedQueue(VirtualClock& clock, std::optional<std::size_t> queued,
                  std::optional<milliseconds> empties_at)
        : clock_(clock), queued_(queued), empties_at_(empties_at)
    {
    }
    std::optional<std::size_t> unsent() override
    {
        ++looks;
        if (empties_at_ && clock_.now() >= *empties_at_)
            return 0;
        return queued_;
    }
    void discard() override { discarded_at = clock_.now(); }
    int looks = 0;
    std::optional<TransmissionClock::Time> discarded_at;

private:
    VirtualClock& clock_;
    std::optional<std::size_t> queued_;
    std::optional<milliseconds> empties_at_;
};

struct Case {
    const char* what;
    bool taking;
    std::optional<std::size_t> queued;
    std::optional<milliseconds> empties_at;
    milliseconds returns_at;
    bool discards;
};

TEST(PortClosing, DrainsWithinTheWriteBoundThenDiscards)
{
    const Case cases[] = {
        {"nothing queued", true, 0, {}, milliseconds(0), false},
        {"a frame leaving", true, 15, milliseconds(3), milliseconds(3), false},
        {"a full queue that empties at 40 ms", true, 4095, milliseconds(40), milliseconds(40), false},
        {"empties just at the bound", true, 4095, milliseconds(100), milliseconds(100), false},
        {"empties just after the bound", true, 4095, milliseconds(101), milliseconds(100), true},
        {"a stalled device", true, 4095, {}, milliseconds(100), true},
        {"a queue the system cannot read", true, std::nullopt, {}, milliseconds(0), true},
        {"the last write was cut: no drain", false, 4095, {}, milliseconds(0), true},
        {"the last write was cut, queue reads empty", false, 0, {}, milliseconds(0), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VirtualClock clock;
        ScriptedQueue queue(clock, c.queued, c.empties_at);
        drain_or_discard(queue, clock, c.taking);
        EXPECT_EQ(clock.now(), c.returns_at);
        EXPECT_EQ(queue.discarded_at.has_value(), c.discards);
        if (queue.discarded_at) {
            EXPECT_EQ(*queue.discarded_at, c.returns_at);
        }
        if (!c.taking) {
            EXPECT_EQ(queue.looks, 0); // a cut write's queue is not even looked at
        }
    }
}

} // namespace
} // namespace tervalink
