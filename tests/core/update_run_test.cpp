// The update run on a virtual clock: what the window shows while the transmission goes out, the
// machine kept awake, and the error path.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_sleep_guard.h"
#include "held_clock.h"
#include "line_rig.h"
#include "satellite_table.h"
#include "table_rows.h"
#include "update_run.h"

namespace tervalink::test {
namespace {

const std::string updating = "status Updating ...   Please wait a few minutes.";
const std::string completed = "status Update has been completed.";
const std::string error = "status Error occurred during updating. Please try again.";

class UpdateRun : public testing::Test {
public:
    // The machine held awake and let go, where the run's log shows it.
    UpdateRun() { awake.changed = [this](bool held) { rig.log.push_back(held ? "awake" : "may sleep"); }; }
    // A row of the selected slot, typed and ticked.
    void fill_row(int slot, int row, const char* nid = "1", bool ticked = true)
    {
        test::fill_row(table, slot, row, nid, "11778");
        table.tick(row_index(slot, row), ticked);
    }
    // One update to its end, its reports shown as they come.
    UpdateOutcome run()
    {
        const UpdateOutcome outcome = updater.run().outcome;
        updater.wait_until_sent();
        return outcome == UpdateOutcome::started ? updater.outcome() : outcome;
    }

    SatelliteTable table;
    VirtualClock clock;
    Rig rig{clock};
    FakeSleepGuard awake;
    Updater updater{table, rig, clock, awake, rig, [](const std::function<void()>& report) { report(); }};
};

// HOTBIRD TP2: fifteen times TP packet, 30 ticks, TP packet, 30 ticks, tagged packet, 20 k + 210.
TEST_F(UpdateRun, OneRowSchedule)
{
    table.set_option(3);
    const UpdateStart refused = updater.run(); // no row ticked: shown by the caller, nothing sent
    EXPECT_EQ(refused.refusal, (UpdateRefusal{"Select TPs to update", false}));
    EXPECT_TRUE(rig.log.empty());
    fill_row(3, 1);
    ASSERT_EQ(run(), UpdateOutcome::completed);
    EXPECT_EQ(rig.wire, repeated({hotbird_tp2, hotbird_tp2, hotbird_tp2_tagged}, 15));
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
    fill_auto(table, autosym_rates);
    ASSERT_EQ(run(), UpdateOutcome::completed);
    EXPECT_EQ(rig.wire, repeated({autosym, autosym_tagged}, 5));
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
    fill_row(6, 1, "1", false);
    fill_row(6, 2);
    UpdateOutcome second = UpdateOutcome::completed;
    clock.at(100 * tick_period, [&] {
        table.tick(row_index(6, 1), true);
        second = updater.run().outcome;
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

// A value that does not fit fails before any frame and holds nothing. It takes the error path
// that a stop mid-update takes (below), as does a failing write, which the sender reports alike.
TEST_F(UpdateRun, AnOverflowTakesTheErrorPathBeforeAnyFrame)
{
    table.set_option(1);
    fill_row(1, 2, "70000");
    EXPECT_EQ(run(), UpdateOutcome::failed);
    EXPECT_TRUE(rig.ticks.empty());
    EXPECT_EQ(rig.log, (Log{"lamp stop", "disconnect", error, "busy off",
                            "box NID of ASTRA 3 TP3: 70000 does not fit 0..65535"}));
}

// A stop (DISCONNECT, closing) ends the hold with the error path. An updater that goes while its
// end is still to be shown (the window destroyed mid-update) lets the machine sleep as it goes.
TEST_F(UpdateRun, StopsAndTheUpdatersEndLetTheMachineSleep)
{
    fill_auto(table, autosym_rates);
    clock.at(200 * tick_period, [&] { updater.stop("the port is closed"); });
    EXPECT_EQ(run(), UpdateOutcome::failed);
    EXPECT_EQ(Log(rig.log.begin() + 4, rig.log.end()), (Log{"value 1@0", "awake", "may sleep", "lamp stop", "disconnect", error,
                                                            "busy off", "box the port is closed"}));
    HeldClock held;
    held.hold_at_pause(2);
    auto going = std::make_unique<Updater>(table, rig, held, awake, rig, [](const std::function<void()>&) {});
    going->run();
    ASSERT_TRUE(held.wait_until_held() && awake.held());
    going.reset();
    EXPECT_EQ(std::vector<int>({awake.taken, awake.released}), std::vector({2, 2}));
}

} // namespace
} // namespace tervalink::test
