// The sending engine and the update run on a virtual clock: schedules, deadlines, stops, failing
// writes, and what the window shows meanwhile.
#include <functional>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "failure.h"
#include "fake_sleep_guard.h"
#include "held_clock.h"
#include "satellite_table.h"
#include "update_run.h"
#include "worked_frames.h"

namespace tervalink {
namespace {

using Log = std::vector<std::string>;
using Ticks = std::vector<long>;
using test::Bytes;

long ticks_of(TransmissionClock::Time at) { return at / tick_period; }

// The line, the engine's listener and the window in one: the bytes written, the tick at which each
// write began, and every report in one log ("w<tick>" is the tick a write is reported at). Write
// `failing_write` fails; `during_write` runs inside every write.
class Rig : public FrameSink, public TransmissionListener, public UpdateView {
public:
    explicit Rig(TransmissionClock& clock) : clock_(clock) {}
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        if (++count == failing_write)
            throw Failure("Cannot write to COM 3 (/dev/ttyUSB2): the device has gone");
        ticks.push_back(ticks_of(clock_.now()));
        wire.insert(wire.end(), frame.begin(), frame.end());
        if (during_write)
            during_write();
    }
    void update_started(std::size_t index) override { log.push_back("start" + std::to_string(index)); }
    void frame_written(const TransmissionStep&, TransmissionClock::Time at) override { log.push_back("w" + std::to_string(ticks_of(at))); }
    void progress(int value) override { log.push_back("p" + std::to_string(value)); }
    void finished() override { log.push_back("finished"); }
    void failed(const std::string& description) override { log.push_back("failed: " + description); }
    void show_message(std::string_view text) override { log.push_back("box " + std::string(text)); }
    void set_status(std::string_view text) override { log.push_back("status " + std::string(text)); }
    void set_progress_maximum(int maximum) override { log.push_back("max " + std::to_string(maximum)); }
    void set_progress_value(int value) override { log.push_back("value " + std::to_string(value) + "@" + std::to_string(ticks_of(clock_.now()))); }
    void set_busy(bool busy) override { log.push_back(busy ? "busy on" : "busy off"); }
    void start_lamp() override { log.push_back("lamp start"); }
    void stop_lamp() override { log.push_back("lamp stop"); }
    void disconnect_after_error() override { log.push_back("disconnect"); }
    void interrupt() override { interrupted = true; }
    Bytes wire;
    Ticks ticks;
    Log log;
    int count = 0, failing_write = -1;
    bool interrupted = false;
    std::function<void()> during_write;

private:
    TransmissionClock& clock_;
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

// Updates follow each other without a gap, a stop before the start does not carry over, and a
// failing write ends the line with its description.
TEST(Sender, SendsUpdatesBackToBackAndEndsOnAFailingWrite)
{
    VirtualClock clock;
    Rig rig(clock);
    rig.failing_write = 8;
    Sender sender;
    sender.stop("the transmission before was stopped");
    sender.start({three_frames('S'), three_frames('B'), three_frames()}, rig, clock, rig, SendingPriority::normal);
    sender.join();
    EXPECT_EQ(rig.wire, (Bytes{0x23, 'S', 0x2A, 0x23, 'S', 0x2A, 0x23, 'S', 0x2A, 0x23, 'B', 0x2A, 0x23, 'B', 0x2A,
                               0x23, 'B', 0x2A, 0x23, 'S', 0x2A}));
    EXPECT_EQ(rig.log, (Log{"start0", "w0", "w30", "p1", "w50", "start1", "w60", "w90", "p1", "w110", "start2", "w120",
                            "failed: Cannot write to COM 3 (/dev/ttyUSB2): the device has gone"}));
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

const std::string updating = "status Updating ...   Please wait a few minutes.";
const std::string completed = "status Update has been completed.";
const std::string error = "status Error occurred during updating. Please try again.";

class UpdateRun : public testing::Test {
public:
    // The machine held awake and let go, where the run's log shows it.
    UpdateRun() { awake.changed = [this](bool held) { rig.log.push_back(held ? "awake" : "may sleep"); }; }
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
    Rig rig{clock};
    test::FakeSleepGuard awake;
    Updater updater{table, image, rig, clock, awake, rig, [](const std::function<void()>& report) { report(); }};
};

struct Row { const char *nid, *freq, *symb, *pol; bool ticked; };
constexpr Row good{"1", "11778", "27500", "V", true};

// HOTBIRD (slot 3) with its position and rows (none given: empty and not ticked), or AUTO SYMBOL
// with the worked rates, some changed: only the message of the first failing entry, or the clash
// (a status and a box); nothing is written.
TEST_F(UpdateRun, EntryAndClashTestsShowOnlyTheirMessage)
{
    const std::string tp_clash = "Change the TP 1, TP 3 informations (DATA FORMAT ERROR)";
    const std::string rate_clash = "Change the symbolrate informations (DATA FORMAT ERROR)";
    const std::string range = "box Symbol Rate must be in positive numbers.";
    const struct { int choice; const char* position; Row rows[3]; std::vector<std::pair<int, const char*>> rates; Log log; } cases[] = {
        {no_choice, "", {}, {}, {"box Select a satellite to update"}},
        {3, "", {}, {}, {"box Some of the required field(s) is(are) empty. Please fill out all the checked TP information."}},
        {3, "130", {}, {}, {"box Select TPs to update"}},
        {3, "130", {{"1", "9000", "27500", "V", true}, {"x", "11778", "27500", "V", true}}, {},
         {"box Frequency range must be within 10700 ~12750."}},
        {3, "130", {{"-1", "", "", "", false}, {}, {"1", "11000", "27500", "Q", true}}, {},
         {"box Polarization must be either 'H' or 'V'"}},
        {3, "130", {{}, {"x", "11778", "27500", "V", true}}, {}, {"box NID, FREQ, SYMBOLRATE must be filled only in numbers."}},
        {3, "3600", {good}, {},
         {"box Satellite location must be in the range of 0 ~ 3559. (e.g. 19.2E would be 1920, 10.0W would be 3500)"}},
        {3, "130", {{"-5", "11778", "27500", "V", true}}, {}, {"box NID must be either '0' or in positive numbers."}},
        {3, "130", {{}, {}, {"1", "11778", "-1", "V", true}}, {}, {"box Symbol Rate must be in positive numbers or less than 32000."}},
        {3, "130", {{"1", "10787", "27500", "V", true}, good, {"35", "11778", "27500", "V", true}}, {},
         {"status " + tp_clash, "box " + tp_clash}},
        {auto_symbol_choice, "", {}, {{1, "abc"}, {8, ""}},
         {"box Some of the required field(s) is(are) empty. Please fill out all the information."}},
        {auto_symbol_choice, "", {}, {{3, " "}}, {range}},
        {auto_symbol_choice, "", {}, {{9, "32001"}}, {range}}, // "32000.5" cannot be typed
        {auto_symbol_choice, "", {}, {{0, "-1"}}, {range}},
        // All zero: only the tagged copy clashes.
        {auto_symbol_choice, "", {}, {{0, "0"}, {1, "0"}, {2, "0"}, {3, "0"}, {4, "0"}, {5, "0"}, {6, "0"}, {7, "0"}, {8, "0"}, {9, "0"}},
         {"status " + rate_clash, "box " + rate_clash}}};
    for (const auto& c : cases) {
        table = SatelliteTable{};
        rig.log.clear();
        fill_auto(test::autosym_rates);
        for (auto [k, rate] : c.rates)
            table.set_text(Field::auto_rate, k, rate);
        c.choice == no_choice ? table.clear_option(auto_symbol_choice) : table.set_option(c.choice);
        table.set_text(Field::position, 3, c.position);
        for (int r = 0; r < rows_per_slot; ++r)
            if (const Row& row = c.rows[r]; row.nid)
                fill_row(3, r, row.nid, row.freq, row.symb, row.pol, row.ticked);
        EXPECT_EQ(run(), c.log.size() == 1 ? UpdateOutcome::refused : UpdateOutcome::clash) << c.log[0];
        EXPECT_EQ(rig.log, c.log);
    }
    EXPECT_TRUE(rig.ticks.empty());
    fill_auto(std::array{"0", "32000", "1", "1e3", " 5 ", "+7", "0", "0", "9", "10"});
    EXPECT_EQ(run(), UpdateOutcome::completed);
}

// HOTBIRD TP2: fifteen times TP packet, 30 ticks, TP packet, 30 ticks, tagged packet, 20 k + 210.
TEST_F(UpdateRun, OneRowSchedule)
{
    table.set_option(3);
    fill_row(3, 1);
    ASSERT_EQ(run(), UpdateOutcome::completed);
    EXPECT_EQ(rig.wire, test::repeated({test::hotbird_tp2, test::hotbird_tp2, test::hotbird_tp2_tagged}, 15));
    EXPECT_EQ(Ticks(rig.ticks.begin(), rig.ticks.begin() + 7), (Ticks{0, 30, 60, 290, 320, 350, 600}));
    EXPECT_EQ(rig.log,
              (Log{"busy on", "lamp start", updating, "max 15", "value 1@0", "awake", "value 1@290", "value 2@600",
                   "value 3@930", "value 4@1280", "value 5@1650", "value 6@2040", "value 7@2450",
                   "value 8@2880", "value 9@3330", "value 10@3800", "value 11@4290", "value 12@4800",
                   "value 13@5330", "value 14@5880", "value 15@6450", "may sleep", "lamp stop", completed, "busy off"}));
}

// Five times the rates packet, 150 ticks, its tagged copy, 20 j + 200 ticks.
TEST_F(UpdateRun, AutoSymbolSchedule)
{
    fill_auto(test::autosym_rates);
    ASSERT_EQ(run(), UpdateOutcome::completed);
    EXPECT_EQ(rig.wire, test::repeated({test::autosym, test::autosym_tagged}, 5));
    EXPECT_EQ(rig.ticks, (Ticks{0, 150, 370, 520, 760, 910, 1170, 1320, 1600, 1750}));
    EXPECT_EQ(rig.log, (Log{"busy on", "lamp start", updating, "max 15", "value 1@0", "awake", "value 3@370", "value 6@760",
                            "value 9@1170", "value 12@1600", "value 15@2050", "may sleep", "lamp stop", completed, "busy off"}));
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
    ASSERT_EQ(rig.ticks.size(), 90u);
    EXPECT_EQ(rig.wire[3], 0); // byte 3 of a TP packet is its row
    EXPECT_EQ(rig.wire[45 * 15 + 3], 2);
    EXPECT_EQ(rig.log[3], "max 30");
    EXPECT_EQ(Log(rig.log.end() - 5, rig.log.end()), (Log{"value 30@12900", "may sleep", "lamp stop", completed, "busy off"}));
    EXPECT_EQ(awake.taken.load(), 1); // the ignored press took no hold of its own
}

// A value that does not fit fails before any frame and holds nothing; a failing write after six
// frames takes the same error path, writes nothing more and lets the machine sleep.
TEST_F(UpdateRun, FailuresTakeTheErrorPath)
{
    table.set_option(1);
    fill_row(1, 2, "70000");
    EXPECT_EQ(run(), UpdateOutcome::failed);
    EXPECT_TRUE(rig.ticks.empty());
    fill_row(1, 2);
    rig.failing_write = 7;
    EXPECT_EQ(run(), UpdateOutcome::failed);
    EXPECT_EQ(rig.ticks.size(), 6u);
    EXPECT_EQ(rig.log, (Log{"lamp stop", "disconnect", error, "busy off", "box NID of ASTRA 3 TP3: 70000 does not fit 0..65535",
                            "busy on", "lamp start", updating, "max 15", "value 1@0", "awake", "value 1@290", "value 2@600",
                            "may sleep", "lamp stop", "disconnect", error, "busy off",
                            "box Cannot write to COM 3 (/dev/ttyUSB2): the device has gone"}));
}

// A stop (DISCONNECT, closing) ends the hold with the error path. An updater that goes while its
// end is still to be shown (the window destroyed mid-update) lets the machine sleep as it goes.
TEST_F(UpdateRun, StopsAndTheUpdatersEndLetTheMachineSleep)
{
    fill_auto(test::autosym_rates);
    clock.at(200 * tick_period, [&] { updater.stop("the port is closed"); });
    EXPECT_EQ(run(), UpdateOutcome::failed);
    EXPECT_EQ(Log(rig.log.begin() + 4, rig.log.end()), (Log{"value 1@0", "awake", "may sleep", "lamp stop", "disconnect", error,
                                                            "busy off", "box the port is closed"}));
    test::HeldClock held;
    held.hold_at_pause(2);
    auto going = std::make_unique<Updater>(table, image, rig, held, awake, rig, [](const std::function<void()>&) {});
    going->run();
    ASSERT_TRUE(held.wait_until_held() && awake.held());
    going.reset();
    EXPECT_EQ(std::vector<int>({awake.taken, awake.released}), std::vector({2, 2}));
}

} // namespace
} // namespace tervalink
