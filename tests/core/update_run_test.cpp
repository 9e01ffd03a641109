#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "failure.h"
#include "satellite_table.h"
#include "frame_decoder.h"
#include "transmission_clock.h"
#include "update_run.h"

namespace tervalink {
namespace {

using Log = std::vector<std::string>;

// Sink and view in one: everything the update does lands in one ordered log, each write with the
// tick of the transmission clock at which it began.
class Recorder : public FrameSink, public UpdateView {
public:
    explicit Recorder(TransmissionClock& clock) : clock_(clock) {}
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        if (++frames == fail_on_frame)
            throw Failure("Cannot write to COM 3 (/dev/ttyUSB2): the device has gone");
        log.push_back("write@" + std::to_string(clock_.now() / tick_period) + " " +
                      hex_bytes(frame));
    }
    void show_message(std::string_view text) override { log.push_back("box " + std::string(text)); }
    void set_status(std::string_view text) override { log.push_back("status " + std::string(text)); }
    void set_progress_maximum(int maximum) override { log.push_back("max " + std::to_string(maximum)); }
    void set_progress_value(int value) override { log.push_back("value " + std::to_string(value)); }
    void set_busy(bool busy) override { log.push_back(busy ? "busy on" : "busy off"); }
    void start_lamp() override { log.push_back("lamp start"); }
    void stop_lamp() override { log.push_back("lamp stop"); }
    void disconnect_after_error() override { log.push_back("disconnect"); }

    Log only(std::string_view prefix) const
    {
        Log out;
        for (const auto& entry : log)
            if (entry.starts_with(prefix))
                out.push_back(entry);
        return out;
    }
    // The tick of each write.
    std::vector<long> write_ticks() const
    {
        std::vector<long> ticks;
        for (const auto& entry : only("write@"))
            ticks.push_back(std::stol(entry.substr(6)));
        return ticks;
    }

    Log log;
    int frames = 0;
    int fail_on_frame = -1;

private:
    TransmissionClock& clock_;
};

class UpdateRun : public testing::Test {
public:
    void fill_row(int slot, int row, const char* nid = "1", const char* freq = "11778",
                  const char* symb = "27500", const char* pol = "V")
    {
        const int i = row_index(slot, row);
        table.set_text(Field::nid, i, nid);
        table.set_text(Field::freq, i, freq);
        table.set_text(Field::symb, i, symb);
        table.set_text(Field::pol, i, pol);
    }
    void tick(int slot, int row) { table.set_ticked(row_index(slot, row), true); }
    void fill_auto(std::array<const char*, 10> rates)
    {
        for (int k = 0; k < auto_rate_count; ++k)
            table.set_text(Field::auto_rate, k, rates[static_cast<std::size_t>(k)]);
    }

    // One update to its end, its reports handled as they come.
    UpdateOutcome run()
    {
        const UpdateOutcome outcome = updater.run();
        updater.wait_until_sent();
        return outcome == UpdateOutcome::started ? updater.outcome() : outcome;
    }
    long end_tick() { return clock.now() / tick_period; }
    // An action at tick t of the transmission, on the sending thread.
    void at_tick(long t, std::function<void()> action) { clock.at(t * tick_period, std::move(action)); }

    SatelliteTable table;
    UpdateImage image;
    VirtualClock clock;
    Recorder recorder{clock};
    Updater updater{table, image, recorder, clock, recorder,
                    [](const std::function<void()>& report) { report(); }};
};

const std::array<const char*, 10> good_rates = {"27500", "22000", "30000", "29900", "27000",
                                                "28000", "25000", "23000", "6111",  "5000"};
const std::string tp_empty = "Some of the required field(s) is(are) empty. Please fill out all "
                             "the checked TP information.";
const std::string auto_range = "Symbol Rate must be in positive numbers.";
const std::string tp_clash = "Change the TP 1, TP 3 informations (DATA FORMAT ERROR)";
const std::string auto_clash = "Change the symbolrate informations (DATA FORMAT ERROR)";

// AUTO SYMBOL selected, the worked rates with one changed.
void auto_with(UpdateRun& f, int k, const char* rate)
{
    f.table.set_option(auto_symbol_choice);
    f.fill_auto(good_rates);
    f.table.set_text(Field::auto_rate, k, rate);
}

struct RefusalCase {
    std::string name;
    std::function<void(UpdateRun&)> arrange;
    UpdateOutcome outcome;
    Log log; // everything the update did: no frame, no progress, no lamp
};

class UpdateRefusals : public UpdateRun, public testing::WithParamInterface<RefusalCase> {};

TEST_P(UpdateRefusals, WriteNothingAndShowOnlyTheirMessage)
{
    GetParam().arrange(*this);
    EXPECT_EQ(run(), GetParam().outcome);
    EXPECT_EQ(recorder.log, GetParam().log);
}

constexpr auto refused = UpdateOutcome::refused;

INSTANTIATE_TEST_SUITE_P(
    EntryAndClashTests, UpdateRefusals,
    testing::Values(
        RefusalCase{"NothingSelected", [](UpdateRun&) {}, refused,
                    {"box Select a satellite to update"}},
        RefusalCase{"EmptyPositionBeforeTicks",
                    [](UpdateRun& f) {
                        f.table.set_option(2);
                        f.table.set_text(Field::position, 2, "");
                    },
                    refused, {"box " + tp_empty}},
        RefusalCase{"NoTickedRow", [](UpdateRun& f) { f.table.set_option(2); }, refused,
                    {"box Select TPs to update"}},
        RefusalCase{"FirstFailingRowInRowOrder",
                    [](UpdateRun& f) {
                        f.table.set_option(4);
                        f.fill_row(4, 0, "1", "9000");
                        f.fill_row(4, 1, "x");
                        f.tick(4, 1);
                        f.tick(4, 0);
                    },
                    refused, {"box Frequency range must be within 10700 ~12750."}},
        RefusalCase{"UntickedBadRowIsNotChecked",
                    [](UpdateRun& f) {
                        f.table.set_option(4);
                        f.fill_row(4, 0, "-1");
                        f.fill_row(4, 2, "1", "11000", "27500", "Q");
                        f.tick(4, 2);
                    },
                    refused, {"box Polarization must be either 'H' or 'V'"}},
        RefusalCase{"AutoEmptyBeatsNonNumericWhateverOrder",
                    [](UpdateRun& f) {
                        auto_with(f, 1, "abc");
                        f.table.set_text(Field::auto_rate, 8, "");
                    },
                    refused,
                    {"box Some of the required field(s) is(are) empty. Please fill out all the "
                     "information."}},
        RefusalCase{"AutoBlankIsNotEmptyButNotNumeric", [](UpdateRun& f) { auto_with(f, 3, " "); },
                    refused, {"box " + auto_range}},
        // "32000.5" cannot be typed: five characters at most
        RefusalCase{"AutoAbove32000", [](UpdateRun& f) { auto_with(f, 9, "32001"); }, refused,
                    {"box " + auto_range}},
        RefusalCase{"AutoNegative", [](UpdateRun& f) { auto_with(f, 0, "-1"); }, refused,
                    {"box " + auto_range}},
        RefusalCase{"ClashesInRowsZeroAndTwoAreListedTogether",
                    [](UpdateRun& f) {
                        f.table.set_option(3);
                        f.fill_row(3, 0, "1", "10787");
                        f.fill_row(3, 1);
                        f.fill_row(3, 2, "35");
                        for (int r : {0, 1, 2})
                            f.tick(3, r);
                    },
                    UpdateOutcome::clash, {"status " + tp_clash, "box " + tp_clash}},
        RefusalCase{"AutoSymbolClashInTheTaggedCopy",
                    [](UpdateRun& f) {
                        f.table.set_option(auto_symbol_choice);
                        f.fill_auto({"0", "0", "0", "0", "0", "0", "0", "0", "0", "0"});
                    },
                    UpdateOutcome::clash, {"status " + auto_clash, "box " + auto_clash}}),
    [](const testing::TestParamInfo<RefusalCase>& param_info) { return param_info.param.name; });

TEST_F(UpdateRun, OneRowSchedule)
{
    table.set_option(3);
    fill_row(3, 1);
    tick(3, 1);
    ASSERT_EQ(run(), UpdateOutcome::completed);

    const Log writes = recorder.only("write@");
    ASSERT_EQ(writes.size(), 45u);
    EXPECT_EQ(Log(writes.begin(), writes.begin() + 3),
              (Log{"write@0 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
                   "write@30 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
                   "write@60 23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A"}));
    EXPECT_EQ(writes[44], "write@5940 23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A");
    const std::vector<long> ticks = recorder.write_ticks();
    EXPECT_EQ(std::vector<long>(ticks.begin(), ticks.begin() + 7),
              (std::vector<long>{0, 30, 60, 290, 320, 350, 600}));
    EXPECT_EQ(ticks[42], 5880); // the first frame of the fifteenth repetition
    EXPECT_EQ(end_tick(), 6450);
    EXPECT_EQ(recorder.only("max "), (Log{"max 15"}));
    EXPECT_EQ(recorder.only("value "),
              (Log{"value 1", "value 1", "value 2", "value 3", "value 4", "value 5", "value 6",
                   "value 7", "value 8", "value 9", "value 10", "value 11", "value 12",
                   "value 13", "value 14", "value 15"}));
    EXPECT_EQ(Log(recorder.log.begin(), recorder.log.begin() + 5),
              (Log{"busy on", "lamp start", "status Updating ...   Please wait a few minutes.",
                   "max 15", "value 1"}));
    EXPECT_EQ(Log(recorder.log.end() - 3, recorder.log.end()),
              (Log{"lamp stop", "status Update has been completed.", "busy off"}));
}

TEST_F(UpdateRun, ThreeRowsGoOutRowAfterRow)
{
    table.set_option(12);
    for (int r : {0, 1, 2}) {
        fill_row(12, r, r == 1 ? "2" : "1");
        tick(12, r);
    }
    ASSERT_EQ(run(), UpdateOutcome::completed);
    const Log writes = recorder.only("write@");
    ASSERT_EQ(writes.size(), 135u);
    EXPECT_EQ(recorder.only("max "), (Log{"max 45"}));
    EXPECT_EQ(recorder.only("value ").back(), "value 45");
    EXPECT_EQ(end_tick(), 3 * 6450);
    // Byte 3 is the row: 45 frames of row 0 (and their tagged copies), then row 1, then row 2.
    EXPECT_NE(writes[42].find(" 0C 00 "), std::string::npos);
    EXPECT_NE(writes[45].find(" 0C 01 "), std::string::npos);
    EXPECT_NE(writes[90].find(" 0C 02 "), std::string::npos);
}

TEST_F(UpdateRun, AutoSymbolSchedule)
{
    table.set_option(auto_symbol_choice);
    fill_auto(good_rates);
    ASSERT_EQ(run(), UpdateOutcome::completed);
    const Log writes = recorder.only("write@");
    ASSERT_EQ(writes.size(), 10u);
    EXPECT_EQ(writes[0],
              "write@0 23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 58 2A");
    EXPECT_EQ(writes[1],
              "write@150 23 42 14 37 F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 7C 2A");
    EXPECT_EQ(recorder.write_ticks(),
              (std::vector<long>{0, 150, 370, 520, 760, 910, 1170, 1320, 1600, 1750}));
    EXPECT_EQ(end_tick(), 2050);
    EXPECT_EQ(recorder.only("value "),
              (Log{"value 1", "value 3", "value 6", "value 9", "value 12", "value 15"}));
    EXPECT_EQ(recorder.only("max "), (Log{"max 15"}));
}

TEST_F(UpdateRun, AutoSymbolBoundsAreInclusive)
{
    table.set_option(auto_symbol_choice);
    fill_auto({"0", "32000", "1", "1e3", " 5 ", "+7", "0", "0", "9", "10"});
    EXPECT_EQ(run(), UpdateOutcome::completed);
    EXPECT_EQ(recorder.only("write@").size(), 10u);
}

TEST_F(UpdateRun, FailingWriteTakesTheErrorPathAndWritesNothingMore)
{
    table.set_option(0);
    fill_row(0, 0);
    tick(0, 0);
    recorder.fail_on_frame = 7;
    EXPECT_EQ(run(), UpdateOutcome::failed);
    EXPECT_EQ(recorder.only("write@").size(), 6u);
    const Log tail(recorder.log.end() - 5, recorder.log.end());
    EXPECT_EQ(tail, (Log{"lamp stop", "disconnect",
                         "status Error occurred during updating. Please try again.", "busy off",
                         "box Cannot write to COM 3 (/dev/ttyUSB2): the device has gone"}));
    EXPECT_EQ(recorder.only("value ").back(), "value 2");
}

TEST_F(UpdateRun, ValueBeyondSixteenBitsFailsBeforeAnyFrame)
{
    table.set_option(1);
    fill_row(1, 2, "70000");
    tick(1, 2);
    EXPECT_EQ(run(), UpdateOutcome::failed);
    EXPECT_EQ(recorder.log,
              (Log{"lamp stop", "disconnect", "status Error occurred during updating. Please try again.",
                   "busy off", "box NID of ASTRA 3 TP3: 70000 does not fit 0..65535"}));
}

TEST_F(UpdateRun, SecondPressDuringAWaitIsIgnored)
{
    table.set_option(auto_symbol_choice);
    fill_auto(good_rates);
    UpdateOutcome inner = UpdateOutcome::completed;
    at_tick(100, [&] { inner = updater.run(); });
    EXPECT_EQ(run(), UpdateOutcome::completed);
    EXPECT_EQ(inner, UpdateOutcome::ignored);
    EXPECT_EQ(recorder.only("write@").size(), 10u);
    EXPECT_FALSE(updater.running());
}

TEST_F(UpdateRun, RowTickedDuringTransmissionIsNeverSent)
{
    table.set_option(6);
    fill_row(6, 0);
    fill_row(6, 2, "9");
    tick(6, 0);
    at_tick(100, [&] { tick(6, 2); });
    ASSERT_EQ(run(), UpdateOutcome::completed);
    for (const auto& write : recorder.only("write@"))
        EXPECT_EQ(write.find(" 06 02 "), std::string::npos) << write;
    EXPECT_EQ(recorder.only("write@").size(), 45u);
}

} // namespace
} // namespace tervalink
