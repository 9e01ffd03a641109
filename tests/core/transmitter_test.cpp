// The sending engine on a virtual clock: schedules, deadlines, stops and failing writes.
#include <future>
#include <string>

#include <gtest/gtest.h>

#include "line_rig.h"
#include "transmitter.h"

namespace tervalink::test {
namespace {

// Three frames with pauses of 30, 20 and 10 ticks; progress 1 after the second.
Transmission three_frames()
{
    Transmission t;
    t.steps = {{{0x23, 'S', 0x2A}, FrameKind::tp, 30, {}},
               {{0x23, 'S', 0x2A}, FrameKind::tp, 20, 1},
               {{0x23, 'S', 0x2A}, FrameKind::tagged_tp, 10, {}}};
    return t;
}

// Each pause ends its ticks after the write before it began, whatever stalls the clock; a stop
// (pressed twice, at a tick or before the first frame) ends the send with the first description
// and no frame after it. A stall of `stall` ticks begins at tick 10.
TEST(Transmitter, DeadlinesAndStops)
{
    constexpr long none = -2, before_the_first_frame = -1;
    const struct { long stall, stop_at; bool slow_second_write; Log log; } cases[] = {
        {20, none, false, {"w0", "w30", "p1", "w50", "end 60"}},
        {35, none, false, {"w0", "w45", "p1", "w65", "end 75"}},
        {0, none, true, {"w0", "w30", "p1", "w50", "end 60"}},
        {0, before_the_first_frame, false, {"the port is closed"}},
        {0, 30, false, {"w0", "the port is closed"}},
        {0, 59, false, {"w0", "w30", "p1", "w50", "the port is closed"}}};
    for (const auto& c : cases) {
        VirtualClock clock;
        Rig rig(clock);
        StopRequest stop;
        clock.at(10 * tick_period, [&] { clock.advance(c.stall * tick_period); });
        if (c.slow_second_write)
            rig.during_write = [&] { if (rig.count == 2) clock.advance(4 * tick_period); };
        const auto press = [&] {
            stop.request("the port is closed");
            stop.request("the window is closed");
        };
        if (c.stop_at == before_the_first_frame)
            press();
        else if (c.stop_at != none)
            clock.at(c.stop_at * tick_period, press);
        try {
            Transmitter(rig, clock, stop, rig).send(three_frames());
            rig.log.push_back("end " + std::to_string(ticks_of(clock.now())));
        } catch (const Failure& failure) {
            rig.log.push_back(failure.what());
        }
        EXPECT_EQ(rig.log, c.log) << c.stall << " " << c.stop_at;
    }
    EXPECT_EQ(total_ticks(three_frames()), 60);
}

// The real clock: a stop from another thread wakes a pause of 300 s at once, and interrupts the
// line, whose write could be waiting for a stalled device. Were the sleep not woken, stop() would
// not return and the test would run into its time limit.
TEST(Sender, StopWakesAPauseOfTheMonotonicClock)
{
    MonotonicClock clock;
    Rig rig(clock);
    std::promise<void> first;
    rig.during_write = [&] { first.set_value(); };
    Transmission long_pause;
    long_pause.steps = {{{0x23, 'S', 0x2A}, FrameKind::tp, 30000, {}}, {{0x23, 'S', 0x2A}, FrameKind::tp, 30, {}}};
    Sender sender;
    sender.start({long_pause}, rig, clock, rig, SendingPriority::normal);
    first.get_future().wait();
    sender.stop("The update was stopped because the window was closed");
    EXPECT_EQ(rig.count, 1);
    EXPECT_TRUE(rig.interrupted);
    EXPECT_EQ(rig.log.back(), "failed: The update was stopped because the window was closed");
}


// Where a cut update resumes: the first step of the cut repetition, over the parts of a slot
// update (three frames a repetition) and AUTO SYMBOL (two).
TEST(Transmission, ResumesAtTheStartOfTheCutRepetition)
{
    Transmission rows, autosym;
    rows.repetitions = 15, rows.frames_per_repetition = 3;
    autosym.repetitions = 5, autosym.frames_per_repetition = 2;
    const struct { const Transmission& t; std::size_t cut, start; } cases[] = {
        {rows, 0, 0}, {rows, 2, 0}, {rows, 3, 3}, {rows, 7, 6}, {rows, 44, 42}, {rows, 45, 45},
        {rows, 46, 45}, {rows, 134, 132}, {autosym, 1, 0}, {autosym, 5, 4}, {autosym, 9, 8}};
    for (const auto& c : cases)
        EXPECT_EQ(repetition_start(c.t, c.cut), c.start) << c.cut;
}

// Brings the line back `gap` ticks later, or ends as `outcome` says (`none`: the line is sent
// without a recovery).
struct FakeRecovery : LineRecovery {
    enum class Outcome { back, not_mended, no_adapter, stopped, none } outcome;
    VirtualClock& clock;
    long gap;
    FakeRecovery(Outcome o, VirtualClock& c, long g) : outcome(o), clock(c), gap(g) {}
    bool recover(const std::string&, StopRequest& stop) override
    {
        clock.advance(gap * tick_period);
        if (outcome == Outcome::stopped)
            stop.request("Stopped by SIGINT");
        if (outcome == Outcome::no_adapter || outcome == Outcome::stopped)
            throw Failure("no adapter came back within 60 s");
        return outcome == Outcome::back;
    }
};

// A cut update resumes without starting again, at the cut repetition, its pauses counted from
// the line's return and no progress shown twice; a cut in the second update resumes in it. A
// recovery that does not mend the failure, cannot bring the line back or is stopped ends the
// line with the right words, as a failing write does on a line without one. Updates follow each
// other without a gap, and a stop before the start does not carry over.
TEST(Sender, RecoveryResumesAtTheCutRepetitionOrEndsTheLine)
{
    using Outcome = FakeRecovery::Outcome;
    Transmission two;
    two.repetitions = 2, two.frames_per_repetition = 2;
    for (std::uint8_t type : {'A', 'B', 'C', 'D'})
        two.steps.push_back({{type}, FrameKind::tp, 10, type == 'B' ? 1 : type == 'D' ? std::optional(2) : std::nullopt});
    Transmission other = two;
    for (TransmissionStep& step : other.steps)
        step.frame[0] += 'a' - 'A'; // its frames in lower case
    const struct { int failing_write; Outcome outcome; long gap; std::string wire; Log log; } cases[] = {
        {4, Outcome::back, 4000, "ABCCDabcd", {"start0", "w0", "w10", "p1", "w20", "resume0@2", "w4030", "w4040", "p2",
                                                "start1", "w4050", "w4060", "p1", "w4070", "w4080", "p2", "finished"}},
        {7, Outcome::back, 0, "ABCDabcd", {"start0", "w0", "w10", "p1", "w20", "w30", "p2", "start1", "w40", "w50", "p1",
                                           "resume1@2", "w60", "w70", "p2", "finished"}},
        {5, Outcome::back, 0, "ABCDabcd", {"start0", "w0", "w10", "p1", "w20", "w30", "p2", "start1", "resume1@0", "w40", "w50",
                                           "p1", "w60", "w70", "p2", "finished"}},
        {2, Outcome::not_mended, 0, "A",
         {"start0", "w0", "failed: Cannot write to COM 3 (/dev/ttyUSB2): the device has gone"}},
        {2, Outcome::no_adapter, 0, "A", {"start0", "w0", "failed: no adapter came back within 60 s"}},
        // A stop during the wait ends the line as the stop says.
        {2, Outcome::stopped, 0, "A", {"start0", "w0", "failed: Stopped by SIGINT"}},
        {6, Outcome::none, 0, "ABCDa", {"start0", "w0", "w10", "p1", "w20", "w30", "p2", "start1", "w40",
                                        "failed: Cannot write to COM 3 (/dev/ttyUSB2): the device has gone"}}};
    for (const auto& c : cases) {
        VirtualClock clock;
        Rig rig(clock);
        rig.failing_write = c.failing_write;
        FakeRecovery recovery(c.outcome, clock, c.gap);
        Sender sender;
        sender.stop("the transmission before was stopped");
        sender.start({two, other}, rig, clock, rig, SendingPriority::normal,
                     c.outcome == Outcome::none ? nullptr : &recovery);
        sender.join();
        EXPECT_EQ(std::string(rig.wire.begin(), rig.wire.end()), c.wire) << c.failing_write;
        EXPECT_EQ(rig.log, c.log) << c.failing_write;
    }
}

} // namespace
} // namespace tervalink::test
