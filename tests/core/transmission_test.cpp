// The sending engine and the update run on a virtual clock: schedules, deadlines, stops, failing
// writes, and what the window shows meanwhile.
#include <functional>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "failure.h"
#include "satellite_table.h"
#include "update_run.h"
#include "worked_frames.h"

namespace tervalink {
namespace {

using Log = std::vector<std::string>;
using Ticks = std::vector<long>;
using test::Bytes;

long ticks_of(TransmissionClock& clock) { return clock.now() / tick_period; }

// The line: every byte written and the tick at which each write began. Write `failing_write`
// fails; write `slow_write` takes 4 ticks.
class Line : public FrameSink {
public:
    explicit Line(VirtualClock& clock) : clock_(clock) {}
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        if (++count == failing_write)
            throw Failure("Cannot write to COM 3 (/dev/ttyUSB2): the device has gone");
        ticks.push_back(ticks_of(clock_));
        wire.insert(wire.end(), frame.begin(), frame.end());
        if (count == slow_write)
            clock_.advance(4 * tick_period);
    }
    Bytes wire;
    Ticks ticks;
    int count = 0, failing_write = -1, slow_write = -1;

private:
    VirtualClock& clock_;
};

// What the engine reports: "w" for each frame written (its reported tick kept apart), p<n>.
class Outcome : public TransmissionListener {
public:
    void update_started(std::size_t index) override { log += "start" + std::to_string(index) + " "; }
    void frame_written(const TransmissionStep&, TransmissionClock::Time at) override { log += "w "; reported.push_back(at / tick_period); }
    void progress(int value) override { log += "p" + std::to_string(value) + " "; }
    void finished() override { log += "finished"; }
    void failed(const std::string& description) override { log += "failed: " + description; }
    std::string log;
    Ticks reported;
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

// A stall of `stall` ticks that begins at tick `stall_at` (-1: none).
struct TimingCase { const char* name; long stall_at, stall; int slow_write; Ticks writes; long end; };

class Deadlines : public testing::TestWithParam<TimingCase> {};

TEST_P(Deadlines, EachPauseEndsItsTicksAfterTheWriteBeforeItBegan)
{
    const TimingCase& c = GetParam();
    VirtualClock clock;
    Line line(clock);
    line.slow_write = c.slow_write;
    if (c.stall_at >= 0)
        clock.at(c.stall_at * tick_period, [&] { clock.advance(c.stall * tick_period); });
    StopRequest stop;
    Outcome outcome;
    Transmitter(line, clock, stop, outcome).send(three_frames());
    EXPECT_EQ(line.ticks, c.writes);
    EXPECT_EQ(outcome.reported, c.writes);
    EXPECT_EQ(ticks_of(clock), c.end);
    EXPECT_EQ(outcome.log, "w w p1 w ");
    EXPECT_EQ(total_ticks(three_frames()), 60);
}

INSTANTIATE_TEST_SUITE_P(
    Stalls, Deadlines,
    testing::Values(TimingCase{"Nominal", -1, 0, -1, {0, 30, 50}, 60},
                    TimingCase{"StallEndingBeforeTheDeadlineCostsNothing", 10, 15, -1, {0, 30, 50}, 60},
                    TimingCase{"StallEndingOnTheDeadline", 10, 20, -1, {0, 30, 50}, 60},
                    TimingCase{"StallPastTheDeadlineDelaysThatFrameOnly", 10, 35, -1, {0, 45, 65}, 75},
                    TimingCase{"SlowWriteDoesNotPushTheNextFrame", -1, 0, 2, {0, 30, 50}, 60}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

struct StopCase { const char* name; long stop_at; Ticks writes; };

class Stops : public testing::TestWithParam<StopCase> {};

TEST_P(Stops, NoFrameAfterTheStopAndTheSendFailsWithTheFirstDescription)
{
    VirtualClock clock;
    Line line(clock);
    StopRequest stop;
    const auto press = [&] {
        stop.request("the port is closed");
        stop.request("the window is closed");
    };
    if (GetParam().stop_at < 0)
        press(); // before the sending thread came to its first frame
    else
        clock.at(GetParam().stop_at * tick_period, press);
    Outcome outcome;
    try {
        Transmitter(line, clock, stop, outcome).send(three_frames());
        FAIL() << "the transmission ran to its end";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "the port is closed");
    }
    EXPECT_EQ(line.ticks, GetParam().writes);
}

INSTANTIATE_TEST_SUITE_P(AtEveryStep, Stops,
                         testing::Values(StopCase{"BeforeTheFirstFrame", -1, {}},
                                         StopCase{"FirstPause", 1, {0}},
                                         StopCase{"OnTheSecondFramesDeadline", 30, {0}},
                                         StopCase{"SecondPause", 31, {0, 30}},
                                         StopCase{"LastPause", 59, {0, 30, 50}}),
                         [](const auto& test_case) { return std::string(test_case.param.name); });

// Updates follow each other without a gap; a failing write ends the line with its description.
TEST(Sender, SendsUpdatesBackToBackAndEndsOnAFailingWrite)
{
    VirtualClock clock;
    Line line(clock);
    Outcome outcome;
    Sender sender;
    sender.stop("the transmission before was stopped"); // the next one starts afresh
    sender.start({three_frames('S'), three_frames('B')}, line, clock, outcome, SendingPriority::normal);
    sender.join();
    EXPECT_EQ(line.wire, (Bytes{0x23, 'S', 0x2A, 0x23, 'S', 0x2A, 0x23, 'S', 0x2A, 0x23, 'B', 0x2A, 0x23, 'B', 0x2A, 0x23, 'B', 0x2A}));
    EXPECT_EQ(outcome.log, "start0 w w p1 w start1 w w p1 w finished");
    line.failing_write = 9;
    outcome.log.clear();
    sender.start({three_frames(), three_frames()}, line, clock, outcome, SendingPriority::normal);
    sender.join();
    EXPECT_EQ(line.ticks, (Ticks{0, 30, 50, 60, 90, 110, 120, 150}));
    EXPECT_EQ(outcome.log, "start0 w w p1 failed: Cannot write to COM 3 (/dev/ttyUSB2): the device has gone");
}

// The real clock: a stop from another thread wakes a pause of 300 s at once. Were the sleep not
// woken, stop() would not return and the test would run into its time limit.
TEST(Sender, StopWakesAPauseOfTheMonotonicClock)
{
    struct FirstWrite : FrameSink {
        void write_frame(std::span<const std::uint8_t>) override { if (++written == 1) first.set_value(); }
        std::promise<void> first;
        int written = 0;
    } sink;
    auto first_write = sink.first.get_future();
    Transmission long_pause;
    long_pause.steps = {{{0x23, 'S', 0x2A}, FrameKind::tp, 30000, {}}, {{0x23, 'S', 0x2A}, FrameKind::tp, 30, {}}};
    MonotonicClock clock;
    Outcome outcome;
    Sender sender;
    sender.start({long_pause}, sink, clock, outcome, SendingPriority::normal);
    first_write.wait();
    sender.stop("The update was stopped because the window was closed");
    EXPECT_EQ(sink.written, 1);
    EXPECT_EQ(outcome.log, "start0 w failed: The update was stopped because the window was closed");
}

// Everything an update shows, in order; each progress value with the tick at which it came.
class View : public UpdateView {
public:
    explicit View(TransmissionClock& clock) : clock_(clock) {}
    void show_message(std::string_view text) override { log.push_back("box " + std::string(text)); }
    void set_status(std::string_view text) override { log.push_back("status " + std::string(text)); }
    void set_progress_maximum(int maximum) override { log.push_back("max " + std::to_string(maximum)); }
    void set_progress_value(int value) override
    {
        log.push_back("value " + std::to_string(value) + "@" + std::to_string(ticks_of(clock_)));
    }
    void set_busy(bool busy) override { log.push_back(busy ? "busy on" : "busy off"); }
    void start_lamp() override { log.push_back("lamp start"); }
    void stop_lamp() override { log.push_back("lamp stop"); }
    void disconnect_after_error() override { log.push_back("disconnect"); }
    Log log;

private:
    TransmissionClock& clock_;
};

const std::string updating = "status Updating ...   Please wait a few minutes.";
const std::string completed = "status Update has been completed.";
const std::string error = "status Error occurred during updating. Please try again.";

class UpdateRun : public testing::Test {
public:
    void fill_row(int slot, int row, const char* nid = "1", const char* freq = "11778",
                  const char* symb = "27500", const char* pol = "V", bool ticked = true)
    {
        const int i = row_index(slot, row);
        for (auto [field, text] : {std::pair{Field::nid, nid}, {Field::freq, freq}, {Field::symb, symb}, {Field::pol, pol}})
            table.set_text(field, i, text);
        table.set_ticked(i, ticked);
    }
    template <typename Rates>
    void fill_auto(const Rates& rates)
    {
        table.set_option(auto_symbol_choice);
        for (int k = 0; k < auto_rate_count; ++k)
            table.set_text(Field::auto_rate, k, rates[static_cast<std::size_t>(k)]);
    }
    // One update to its end, its reports shown as they come.
    UpdateOutcome run()
    {
        const UpdateOutcome outcome = updater.run();
        updater.wait_until_sent();
        return outcome == UpdateOutcome::started ? updater.outcome() : outcome;
    }

    SatelliteTable table;
    UpdateImage image;
    VirtualClock clock;
    Line line{clock};
    View view{clock};
    Updater updater{table, image, line, clock, view, [](const std::function<void()>& report) { report(); }};
};

struct Row { const char *nid, *freq, *symb, *pol; bool ticked; };
constexpr Row good{"1", "11778", "27500", "V", true}, unticked{"", "", "", "", false};

// HOTBIRD (slot 3) selected with its position and rows: the message of the first failing row in
// row order, or the clash list; nothing is written.
TEST_F(UpdateRun, TpEntryAndClashTestsShowOnlyTheirMessage)
{
    const std::string clash = "Change the TP 1, TP 3 informations (DATA FORMAT ERROR)";
    const struct { const char* position; Row rows[3]; UpdateOutcome outcome; Log log; } cases[] = {
        {"", {unticked, unticked, unticked}, UpdateOutcome::refused,
         {"box Some of the required field(s) is(are) empty. Please fill out all the checked TP information."}},
        {"130", {unticked, unticked, unticked}, UpdateOutcome::refused, {"box Select TPs to update"}},
        {"130", {{"1", "9000", "27500", "V", true}, {"x", "11778", "27500", "V", true}, unticked},
         UpdateOutcome::refused, {"box Frequency range must be within 10700 ~12750."}},
        {"130", {{"-1", "", "", "", false}, unticked, {"1", "11000", "27500", "Q", true}}, UpdateOutcome::refused,
         {"box Polarization must be either 'H' or 'V'"}},
        {"130", {unticked, {"x", "11778", "27500", "V", true}, unticked}, UpdateOutcome::refused,
         {"box NID, FREQ, SYMBOLRATE must be filled only in numbers."}},
        {"3600", {good, unticked, unticked}, UpdateOutcome::refused,
         {"box Satellite location must be in the range of 0 ~ 3559. (e.g. 19.2E would be 1920, 10.0W would be 3500)"}},
        {"130", {{"-5", "11778", "27500", "V", true}, unticked, unticked}, UpdateOutcome::refused,
         {"box NID must be either '0' or in positive numbers."}},
        {"130", {unticked, unticked, {"1", "11778", "-1", "V", true}}, UpdateOutcome::refused,
         {"box Symbol Rate must be in positive numbers or less than 32000."}},
        {"130", {{"1", "10787", "27500", "V", true}, good, {"35", "11778", "27500", "V", true}},
         UpdateOutcome::clash, {"status " + clash, "box " + clash}}};
    for (const auto& c : cases) {
        table = SatelliteTable{};
        view.log.clear();
        table.set_option(3);
        table.set_text(Field::position, 3, c.position);
        for (int r = 0; r < rows_per_slot; ++r) {
            const Row& row = c.rows[r];
            fill_row(3, r, row.nid, row.freq, row.symb, row.pol, row.ticked);
        }
        EXPECT_EQ(run(), c.outcome) << c.log[0];
        EXPECT_EQ(view.log, c.log);
    }
    table = SatelliteTable{};
    view.log.clear();
    EXPECT_EQ(run(), UpdateOutcome::refused);
    EXPECT_EQ(view.log, (Log{"box Select a satellite to update"}));
    EXPECT_TRUE(line.ticks.empty());
}

// AUTO SYMBOL with the worked rates, some changed: an empty rate wins over any other fault.
TEST_F(UpdateRun, AutoSymbolEntryAndClashTestsShowOnlyTheirMessage)
{
    const std::string range = "box Symbol Rate must be in positive numbers.";
    const std::string clash = "Change the symbolrate informations (DATA FORMAT ERROR)";
    const struct { std::vector<std::pair<int, const char*>> changes; UpdateOutcome outcome; Log log; } cases[] = {
        {{{1, "abc"}, {8, ""}}, UpdateOutcome::refused,
         {"box Some of the required field(s) is(are) empty. Please fill out all the information."}},
        {{{3, " "}}, UpdateOutcome::refused, {range}},
        {{{9, "32001"}}, UpdateOutcome::refused, {range}}, // "32000.5" cannot be typed
        {{{0, "-1"}}, UpdateOutcome::refused, {range}},
        // All zero: only the tagged copy clashes.
        {{{0, "0"}, {1, "0"}, {2, "0"}, {3, "0"}, {4, "0"}, {5, "0"}, {6, "0"}, {7, "0"}, {8, "0"}, {9, "0"}},
         UpdateOutcome::clash, {"status " + clash, "box " + clash}}};
    for (const auto& c : cases) {
        view.log.clear();
        fill_auto(test::autosym_rates);
        for (auto [k, rate] : c.changes)
            table.set_text(Field::auto_rate, k, rate);
        EXPECT_EQ(run(), c.outcome) << c.log[0];
        EXPECT_EQ(view.log, c.log);
    }
    EXPECT_TRUE(line.ticks.empty());
    fill_auto(std::array{"0", "32000", "1", "1e3", " 5 ", "+7", "0", "0", "9", "10"});
    EXPECT_EQ(run(), UpdateOutcome::completed);
}

// HOTBIRD TP2: fifteen times TP packet, 30 ticks, TP packet, 30 ticks, tagged packet, 20 k + 210.
TEST_F(UpdateRun, OneRowSchedule)
{
    table.set_option(3);
    fill_row(3, 1);
    ASSERT_EQ(run(), UpdateOutcome::completed);
    EXPECT_EQ(line.wire, test::repeated({test::hotbird_tp2, test::hotbird_tp2, test::hotbird_tp2_tagged}, 15));
    EXPECT_EQ(Ticks(line.ticks.begin(), line.ticks.begin() + 7), (Ticks{0, 30, 60, 290, 320, 350, 600}));
    EXPECT_EQ(view.log,
              (Log{"busy on", "lamp start", updating, "max 15", "value 1@0", "value 1@290", "value 2@600",
                   "value 3@930", "value 4@1280", "value 5@1650", "value 6@2040", "value 7@2450",
                   "value 8@2880", "value 9@3330", "value 10@3800", "value 11@4290", "value 12@4800",
                   "value 13@5330", "value 14@5880", "value 15@6450", "lamp stop", completed, "busy off"}));
}

// Five times the rates packet, 150 ticks, its tagged copy, 20 j + 200 ticks.
TEST_F(UpdateRun, AutoSymbolSchedule)
{
    fill_auto(test::autosym_rates);
    ASSERT_EQ(run(), UpdateOutcome::completed);
    EXPECT_EQ(line.wire, test::repeated({test::autosym, test::autosym_tagged}, 5));
    EXPECT_EQ(line.ticks, (Ticks{0, 150, 370, 520, 760, 910, 1170, 1320, 1600, 1750}));
    EXPECT_EQ(view.log, (Log{"busy on", "lamp start", updating, "max 15", "value 1@0", "value 3@370", "value 6@760",
                             "value 9@1170", "value 12@1600", "value 15@2050", "lamp stop", completed, "busy off"}));
}

// The ticks are taken once, at the press: rows go out in row order, progress counts on over them,
// and neither a row ticked meanwhile nor a second press changes the transmission.
TEST_F(UpdateRun, TicksAreTakenAtThePressAndRowsGoOutInRowOrder)
{
    table.set_option(6);
    fill_row(6, 0);
    fill_row(6, 1, "1", "11778", "27500", "V", false);
    fill_row(6, 2);
    UpdateOutcome second = UpdateOutcome::completed;
    clock.at(100 * tick_period, [&] {
        table.set_ticked(row_index(6, 1), true);
        second = updater.run();
    });
    ASSERT_EQ(run(), UpdateOutcome::completed);
    EXPECT_EQ(second, UpdateOutcome::ignored);
    ASSERT_EQ(line.ticks.size(), 90u);
    EXPECT_EQ(line.wire[3], 0); // byte 3 of a TP packet is its row
    EXPECT_EQ(line.wire[45 * 15 + 3], 2);
    EXPECT_EQ(view.log[3], "max 30");
    EXPECT_EQ(Log(view.log.end() - 4, view.log.end()), (Log{"value 30@12900", "lamp stop", completed, "busy off"}));
    EXPECT_FALSE(updater.running());
}

TEST_F(UpdateRun, FailingWriteTakesTheErrorPathAndWritesNothingMore)
{
    table.set_option(0);
    fill_row(0, 0);
    line.failing_write = 7;
    EXPECT_EQ(run(), UpdateOutcome::failed);
    EXPECT_EQ(line.ticks.size(), 6u);
    EXPECT_EQ(view.log, (Log{"busy on", "lamp start", updating, "max 15", "value 1@0", "value 1@290", "value 2@600",
                             "lamp stop", "disconnect", error, "busy off",
                             "box Cannot write to COM 3 (/dev/ttyUSB2): the device has gone"}));
}

TEST_F(UpdateRun, ValueBeyondSixteenBitsFailsBeforeAnyFrame)
{
    table.set_option(1);
    fill_row(1, 2, "70000");
    EXPECT_EQ(run(), UpdateOutcome::failed);
    EXPECT_EQ(view.log, (Log{"lamp stop", "disconnect", error, "busy off",
                             "box NID of ASTRA 3 TP3: 70000 does not fit 0..65535"}));
    EXPECT_TRUE(line.ticks.empty());
}

} // namespace
} // namespace tervalink
