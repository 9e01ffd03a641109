// The sending engine on a virtual clock: absolute deadlines, stalls, stops and failing writes.
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "failure.h"
#include "transmitter.h"

namespace tervalink {
namespace {

using std::chrono::milliseconds;

// Notes the time of each write (in ms of the clock), may stall or fail a chosen write.
class TimedSink : public FrameSink {
public:
    explicit TimedSink(VirtualClock& clock) : clock_(clock) {}
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        const auto number = static_cast<int>(writes.size()) + 1;
        if (number == failing_write)
            throw Failure("Cannot send to COM 100 (/dev/ttyUSB0): the device has gone (unplugged?)");
        writes.push_back(clock_.now() / milliseconds(1));
        frames.push_back(frame[1]);
        if (number == slow_write)
            clock_.advance(milliseconds(40));
    }
    std::vector<long> writes;
    std::vector<std::uint8_t> frames; // each frame's type byte
    int failing_write = -1;
    int slow_write = -1;

private:
    VirtualClock& clock_;
};

class Outcome : public TransmissionListener {
public:
    void update_started(std::size_t index) override { log += "start" + std::to_string(index) + " "; }
    void progress(int value) override { log += "p" + std::to_string(value) + " "; }
    void finished() override { log += "finished"; }
    void failed(const std::string& description) override { log += "failed: " + description; }
    std::string log;
};

// Three frames with pauses of 30, 20 and 10 ticks; progress 1 after the second.
Transmission three_frames(std::uint8_t type = 'S')
{
    Transmission t;
    t.steps = {{{0x23, type, 0x2A}, FrameKind::tp, 30, {}},
               {{0x23, type, 0x2A}, FrameKind::tp, 20, 1},
               {{0x23, type, 0x2A}, FrameKind::tagged_tp, 10, {}}};
    return t;
}

struct TimingCase {
    const char* name;
    long event_ms = -1;    // when a stall begins, -1 for none
    long stall_ms = 0;
    int slow_write = -1;   // this write takes 40 ms
    std::vector<long> writes;
    long end_ms;
};

class Deadlines : public testing::TestWithParam<TimingCase> {};

TEST_P(Deadlines, EachPauseEndsItsTicksAfterTheWriteBeforeIt)
{
    const TimingCase& c = GetParam();
    VirtualClock clock;
    TimedSink sink(clock);
    sink.slow_write = c.slow_write;
    if (c.event_ms >= 0)
        clock.at(milliseconds(c.event_ms), [&] { clock.advance(milliseconds(c.stall_ms)); });
    StopRequest stop;
    Outcome outcome;
    Transmitter(sink, clock, stop, outcome).send(three_frames());
    EXPECT_EQ(sink.writes, c.writes);
    EXPECT_EQ(clock.now() / milliseconds(1), c.end_ms);
    EXPECT_EQ(outcome.log, "p1 ");
}

INSTANTIATE_TEST_SUITE_P(
    Stalls, Deadlines,
    testing::Values(TimingCase{"Nominal", -1, 0, -1, {0, 300, 500}, 600},
                    TimingCase{"StallEndingBeforeTheDeadlineCostsNothing", 100, 150, -1,
                               {0, 300, 500}, 600},
                    TimingCase{"StallEndingOnTheDeadline", 100, 200, -1, {0, 300, 500}, 600},
                    TimingCase{"StallPastTheDeadlineDelaysThatFrameOnly", 100, 350, -1,
                               {0, 450, 650}, 750},
                    TimingCase{"SlowWriteDoesNotPushTheNextFrame", -1, 0, 2, {0, 300, 500},
                               600}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

struct StopCase {
    const char* name;
    long stop_ms;
    std::vector<long> writes;
};

class Stops : public testing::TestWithParam<StopCase> {};

TEST_P(Stops, NoFrameAfterTheStopAndTheUpdateFailsWithItsDescription)
{
    VirtualClock clock;
    TimedSink sink(clock);
    StopRequest stop;
    const auto press = [&] { stop.request("the port is closed"); };
    if (GetParam().stop_ms < 0)
        press(); // before the sending thread came to its first frame
    else
        clock.at(milliseconds(GetParam().stop_ms), press);
    Outcome outcome;
    try {
        Transmitter(sink, clock, stop, outcome).send(three_frames());
        FAIL() << "the transmission ran to its end";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "the port is closed");
    }
    EXPECT_EQ(sink.writes, GetParam().writes);
}

INSTANTIATE_TEST_SUITE_P(AtEveryStep, Stops,
                         testing::Values(StopCase{"BeforeTheFirstFrame", -1, {}},
                                         StopCase{"FirstPause", 1, {0}},
                                         StopCase{"JustBeforeTheSecondFrame", 299, {0}},
                                         StopCase{"SecondPause", 301, {0, 300}},
                                         StopCase{"LastPause", 599, {0, 300, 500}}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

TEST(Sender, FailingWriteEndsTheLineWithTheWritesDescription)
{
    VirtualClock clock;
    TimedSink sink(clock);
    sink.failing_write = 3;
    Outcome outcome;
    Sender sender;
    sender.start({three_frames(), three_frames()}, sink, clock, outcome, SendingPriority::normal);
    sender.join();
    EXPECT_EQ(sink.writes, (std::vector<long>{0, 300}));
    EXPECT_EQ(outcome.log, "start0 p1 failed: Cannot send to COM 100 (/dev/ttyUSB0): the device "
                           "has gone (unplugged?)");
}

TEST(Sender, UpdatesFollowEachOtherWithoutAGapAndReportTheirEnd)
{
    VirtualClock clock;
    TimedSink sink(clock);
    Outcome outcome;
    Sender sender;
    sender.start({three_frames('S'), three_frames('B')}, sink, clock, outcome,
                 SendingPriority::normal);
    sender.join();
    EXPECT_EQ(sink.writes, (std::vector<long>{0, 300, 500, 600, 900, 1100}));
    EXPECT_EQ(sink.frames, (std::vector<std::uint8_t>{'S', 'S', 'S', 'B', 'B', 'B'}));
    EXPECT_EQ(outcome.log, "start0 p1 start1 p1 finished");
}

// The real clock: a stop from another thread wakes a pause of 300 s at once. Were the sleep not
// woken, stop() would not return and the test would run into its time limit.
TEST(Sender, StopWakesAPauseOfTheMonotonicClock)
{
    class FirstWrite : public FrameSink {
    public:
        void write_frame(std::span<const std::uint8_t>) override
        {
            const std::lock_guard lock(mutex);
            ++written;
            changed.notify_all();
        }
        std::mutex mutex;
        std::condition_variable changed;
        int written = 0;
    } sink;
    Transmission long_pause;
    long_pause.steps = {{{0x23, 'S', 0x2A}, FrameKind::tp, 30000, {}},
                        {{0x23, 'S', 0x2A}, FrameKind::tp, 30, {}}};
    MonotonicClock clock;
    Outcome outcome;
    Sender sender;
    sender.start({long_pause}, sink, clock, outcome, SendingPriority::normal);
    {
        std::unique_lock lock(sink.mutex);
        sink.changed.wait(lock, [&] { return sink.written == 1; });
    }
    sender.stop("The update was stopped because the window was closed");
    EXPECT_EQ(sink.written, 1);
    EXPECT_EQ(outcome.log, "start0 failed: The update was stopped because the window was closed");
}

} // namespace
} // namespace tervalink
