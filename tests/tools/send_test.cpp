// send: an update through a pseudo-terminal at the real clock, and through the library with a
// virtual clock per line and pseudo-terminals as the antenna units. The frames and schedules
// themselves are pinned by the core tests.
#include <optional>
#include <sstream>

#include <gtest/gtest.h>

#include "fake_arrivals.h"
#include "fake_inventory.h"
#include "far_end.h"
#include "send.h"
#include "text_lines.h"
#include "tools_test_support.h"
#include "worked_frames.h"

namespace tervalink::frames_tool {
namespace {

// The one send at the machine's own clock: an AUTO SYMBOL update through a pseudo-terminal, as a
// technician runs it with its output going to a file. Its frames log gives the write times: no
// pause may be short, and none more than 100 ms long, a bound a loaded CI machine holds, under
// Wine too.
TEST(Send, AutoSymbolThroughAPseudoTerminalAtTheRealClock)
{
    test::FarEnd far_end;
    const std::string port = far_end.device_path();
    // A log name beyond any ANSI code page: the name reaches the tool, which writes the file.
    const std::string log = scratch_file("Protokoll-ä-ł-衛星.csv");
    Args args{"send", port, "--choice", "13", "--log", log};
    for (int k = 0; k < 10; ++k)
        args.insert(args.end(),
                    {"--set", "auto:" + std::to_string(k) + "=" + test::autosym_rates[k]});
    const auto [status, out, err] = run_tool(args);

    EXPECT_EQ(status, 0) << err;
    Lines expected{"1 update, AUTO SYMBOL: 21 s"};
    for (int n = 1; n <= 5; ++n)
        expected.push_back(port + ": update 1 of 1, AUTO SYMBOL, repetition " + std::to_string(n) +
                           " of 5 sent");
    expected.push_back(port + ": completed, 1 update, 10 frames");
    EXPECT_EQ(test::lines_of(out), expected);
    ASSERT_TRUE(far_end.wait_for_bytes(240, std::chrono::seconds(5)));
    EXPECT_EQ(far_end.bytes(), test::repeated({test::autosym, test::autosym_tagged}, 5));
    const Lines logged = test::lines_of(read_all(log));
    ASSERT_EQ(logged.size(), 10u);
    const int ticks[] = {150, 220, 150, 240, 150, 260, 150, 280, 150};
    for (std::size_t i = 1; i < logged.size(); ++i) {
        const double pause_ms = std::stod(logged[i]) - std::stod(logged[i - 1]);
        EXPECT_GE(pause_ms, ticks[i - 1] * 10.0) << logged[i];
        EXPECT_LE(pause_ms, ticks[i - 1] * 10.0 + 100.0) << logged[i];
    }
}

// send --all carries out what plan prints for each slot in turn, frame for frame and pause for
// pause: each slot's three rows take 6450 ticks each, AUTO SYMBOL comes last.
TEST(Send, WholeSampleFileGoesOutSlotBySlotAsPlanned)
{
    test::FarEnd far_end;
    const std::string log_path = scratch_file("send.csv");
    std::ostringstream out, err;
    const SendArguments args = parse_send_arguments(
        Args{far_end.device_path(), "--all", "--file", TERVALINK_SAMPLE_DATA, "--log", log_path});
    const auto awake = std::make_shared<test::FakeSleepGuard>();
    ASSERT_EQ(run_send(args, out, err, test_environment(virtual_clocks, awake)), 0) << err.str();
    EXPECT_EQ(std::vector<int>({awake->taken, awake->released}), std::vector({1, 1})); // one for all 14
    const Lines log = test::lines_of(read_all(log_path));
    ASSERT_EQ(log.size(), 39u * 45 + 10);
    const std::string port = "," + far_end.device_path() + ",";
    const std::pair<std::size_t, std::string> spots[] = {
        {0, "0.000" + port + "TP,23 53 00 00 1A 01 02 00 15 2A F0 55 01 82 2A"},
        {135, "193500.000" + port + "TP,23 53 01 00 "},
        {1764, "2533000.000" + port + "tagged auto,"}};
    for (const auto& [index, start] : spots)
        EXPECT_EQ(log[index].substr(0, start.size()), start) << index;
    EXPECT_TRUE(far_end.wait_for_bytes(39u * 45 * 15 + 10 * 24, std::chrono::seconds(10)));
    EXPECT_EQ(far_end.bytes().size(), 39u * 45 * 15 + 10 * 24);
    const Lines printed = test::lines_of(out.str());
    EXPECT_EQ(printed.front(), "14 updates, 39 rows and AUTO SYMBOL: 42 min 16 s");
    EXPECT_EQ(printed.back(), far_end.device_path() + ": completed, 14 updates, 1765 frames");
}

// One hold keeps the machine awake for both lines until the last has ended.
TEST(Send, UnpluggedLineEndsAloneAndTheOthersFinish)
{
    test::FarEnd kept;
    test::FarEnd unplugged;
    const auto awake = std::make_shared<test::FakeSleepGuard>();
    const SendEnvironment env = test_environment([&, line = 0]() mutable {
        auto clock = std::make_unique<VirtualClock>();
        // Halfway through the pause after the seventh frame (written at 6.0 s) of the second line.
        if (line++ == 1)
            clock->at(std::chrono::milliseconds(6100), [&] { unplugged.unplug(); });
        return clock;
    }, awake);
    const SendArguments args = parse_send_arguments(
        hotbird_tp2({kept.device_path(), unplugged.device_path()}));
    std::ostringstream out, err;
    EXPECT_EQ(run_send(args, out, err, env), 4);
    const std::string gone =
        "Cannot send to " + unplugged.device_path() + ": the device has gone (unplugged?)";
    EXPECT_EQ(err.str(), gone + "\n");
    const Lines printed = test::lines_of(out.str());
    EXPECT_EQ(Lines(printed.end() - 2, printed.end()),
              (Lines{kept.device_path() + ": completed, 1 update, 45 frames",
                     unplugged.device_path() + ": failed in update 1 of 1, HOTBIRD TP2, repetition "
                                              "3 of 15 after 7 frames: " + gone}));
    EXPECT_EQ(std::vector<int>({awake->taken, awake->released}), std::vector({1, 1}));
}


// How the adapter of a cut line fares under --reconnect: it comes back; it does not; it cannot be
// told apart, the port given as a device path or on no adapter that the system lists.
enum class Cut { back, not_back, as_path, no_adapter };

// --reconnect 60: the adapter goes away in the pause after the seventh frame and comes back on
// another device (after another adapter of its kind), where the cut repetition 3 goes out again
// whole and then the rest; or the line ends, `failure` (LABEL for the port's) after the write's own.
void check_reconnect(Cut how, std::string failure = {})
{
    test::FarEnd cut;
    std::optional<test::FarEnd> back; // under Wine a far end once unplugged is gone: few are made
    if (how == Cut::back)
        back.emplace();
    const std::string port = how == Cut::as_path ? cut.device_path() : cut.port_text();
    const std::string label = how == Cut::as_path ? cut.device_path() : cut.port_label();
    test::FakeInventory* inventory = nullptr;
    SendEnvironment env = test_environment([&] {
        auto clock = std::make_unique<VirtualClock>();
        clock->at(std::chrono::milliseconds(6100), [&] { cut.unplug(); inventory->plugged_in.clear(); });
        return clock;
    });
    env.device_root = cut.device_root();
    env.make_inventory = [&] {
        auto made = std::make_unique<test::FakeInventory>();
        if (how != Cut::no_adapter)
            made->plugged_in = {test::ftdi("A50285BI", "1-1.2", {how == Cut::as_path ? cut.device_path()
                                           : port_address(cut.port_number(), cut.device_root()).device_path})};
        inventory = made.get();
        return made;
    };
    env.make_arrivals = [&] {
        auto arrivals = std::make_unique<test::ScriptedArrivals>();
        if (back)
            arrivals->script = {{[&] { inventory->plugged_in = {test::ftdi("Z9", "1-1.2", {"/dev/other"})}; }},
                                {[&] { inventory->plugged_in = {test::ftdi("A50285BI", "1-1.3", {back->device_path()})}; }}};
        return arrivals;
    };
    const std::string log = scratch_file("reconnect_" + std::to_string(static_cast<int>(how)) + ".csv");
    std::ostringstream out, err;
    EXPECT_EQ(run_send(parse_send_arguments(hotbird_tp2({port, "--reconnect", "60", "--log", log})), out, err, env),
              back ? 0 : 4);
    const std::string waiting = how <= Cut::not_back ? label + ": adapter gone; waiting up to 60 s for it to come back\n" : "";
    const Lines printed = test::lines_of(out.str());
    const std::string gone = "Cannot send to " + label + ": the device has gone (unplugged?)";
    if (!back) {
        if (const auto at = failure.find("LABEL"); at != std::string::npos)
            failure.replace(at, 5, label);
        EXPECT_EQ(err.str(), waiting + gone + failure + "\n");
        EXPECT_EQ(printed.back(), label + ": failed in update 1 of 1, HOTBIRD TP2, repetition 3 of 15 after 7 frames: " +
                                  gone + failure);
        return;
    }
    EXPECT_EQ(err.str(), waiting);
    EXPECT_EQ(printed.back(), label + ": completed, after 1 reconnect, 1 update, 46 frames");
    EXPECT_NE(std::find(printed.begin(), printed.end(), label + ": adapter back on " + back->device_path() +
                        " after 0.0 s; resuming at update 1 of 1, HOTBIRD TP2, repetition 3 of 15"), printed.end());
    EXPECT_TRUE(back->wait_for_bytes(39 * 15, std::chrono::seconds(10)));
    EXPECT_EQ(back->bytes(), test::repeated({test::hotbird_tp2, test::hotbird_tp2, test::hotbird_tp2_tagged}, 13));
    Lines logged = test::lines_of(read_all(log));
    for (std::string& line : logged)
        std::erase(line, '\r'); // a text file on Windows
    ASSERT_EQ(logged.size(), 46u + 2u);
    EXPECT_EQ(Lines(logged.begin() + 7, logged.begin() + 9),
              (Lines{"6300.000," + port + ",adapter gone,", "6300.000," + port + ",adapter back," + back->device_path()}));
    EXPECT_TRUE(logged[9].starts_with("6300.000," + port + ",TP,23")) << logged[9];
}

TEST(Send, ReconnectedLineResumesAtTheCutRepetition)
{
    check_reconnect(Cut::back);
}

TEST(Send, ReconnectFailsNamingTheWaitOrWhyItCannot)
{
    check_reconnect(Cut::not_back, "; no adapter USB 0403:6001 serial A50285BI at 1-1.2 came back within 60 s");
    check_reconnect(Cut::as_path, "; LABEL cannot be reconnected: it was given as a device path; give it as \"COM n\" so "
                                  "that its adapter can be found again");
    check_reconnect(Cut::no_adapter, "; LABEL cannot be reconnected: it is on no USB adapter that the system lists");
}

} // namespace
} // namespace tervalink::frames_tool
