// tervalink-frames: the built tool run as a technician runs it (arguments, exit statuses, texts),
// and send through the library with a virtual clock per line and pseudo-terminals as the antenna
// units. The frames and schedules themselves are pinned by the core tests.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "far_end.h"
#include "monitor.h"
#include "tools_test_support.h"
#include "send.h"
#include "text_lines.h"
#include "worked_frames.h"

namespace tervalink::frames_tool {
namespace {

TEST(CommandLine, ExitStatusesAndTexts)
{
    test::FarEnd far_end; // opened before the second PORT fails: nothing may reach it
    const std::string no_file =
        "Cannot open /nonexistent/tervalink.csv: no such file; check the name and the folder\n";
    const std::string usage = "usage: tervalink-frames plan...";
    const auto bad = [&](const std::string& first_line) {
        return "tervalink-frames: " + first_line + "\n" + usage;
    };
    const auto send_to = [&](const char* port) {
        return hotbird_tp2({"send", far_end.device_path(), port});
    };
    // The arguments, the exit status, stdout and stderr.
    const std::tuple<Args, int, std::string, std::string> outcomes[] = {
        // A frame a line, with the tick it is written at; then "end" and the total ticks.
        {hotbird_tp2({"plan", "--tick", "16"}, {"--choice", "3"}), 0,
         "0 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A\n"
         "30 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A\n...\nend 6450\n",
         ""},
        {{"plan", "--choice", "none"}, 3, "Select a satellite to update\n", ""},
        // Passes the entry tests, cannot be encoded: the error path, nothing on stdout.
        {hotbird_tp2({"plan"}, {"--set", "nid:16=70000", "--choice", "3", "--tick", "16"}), 4, "",
         "NID of HOTBIRD TP2: 70000 does not fit 0..65535\n"},
        {{"plan", "--file", "/nonexistent/tervalink.csv", "--choice", "none"}, 5, "", no_file},
        // USER 1 keeps its default position 42 (0x2A): with row 1 empty the checksum is
        // 8 ^ 1 ^ 0x2A = 0x23, so even the start-up table has one clashing row.
        {{"check"}, 0, " 8  1\n", ""},
        {{"check", "--set", "freq:0=10787", "--set", "freq:1=10787", "--set", "nid:2=70000"}, 4,
         " 0  0\n 1  0\n", "NID of ASTRA 1 TP1: 70000 does not fit 0..65535\n"},
        {{"check", "--file", "/nonexistent/tervalink.csv"}, 5, "", no_file},
        {{"decode"}, 0, "stray bytes (2): 00 0D\nTP truncated, 3 of 15 bytes: 23 53 03\n", ""},
        {{"decode", scratch_file("capture", "\x23\x53")}, 0,
         "TP truncated, 2 of 15 bytes: 23 53\n", ""},
        {{"decode", "/nonexistent/capture.bin"}, 5, "", missing_capture},
        {{"send", "/nonexistent/ttyUSB9", "--choice", "none"}, 3,
         "Select a satellite to update\n", ""},
        // A slot is sent with its rows that hold a NID, FREQ or SYMB ticked, so each refusal
        // shows a slot that was; row 14 holds none; AUTO SYMBOL waits for all ten rates.
        {{"send", "/nonexistent/ttyUSB9", "--all", "--file", TERVALINK_SAMPLE_DATA, "--set",
          "nid:14=", "--set", "freq:14=", "--set", "symb:14=", "--set", "nid:15=", "--set",
          "freq:15=", "--set", "freq:4=9000", "--set", "symb:7=x", "--set", "auto:4="},
         3,
         "ASTRA 1: Frequency range must be within 10700 ~12750.\nASTRA 4N: Frequency range must "
         "be within 10700 ~12750.\nEUTELSAT 9A: NID, FREQ, SYMBOLRATE must be filled only in "
         "numbers.\n",
         ""},
        {{"send", "/nonexistent/ttyUSB9", "--all"}, 3,
         "Nothing to send: no slot holds data and the auto symbol rates are not all filled\n", ""},
        {send_to("COM 251"), 4, "", "Cannot open " + missing_port + "; nothing was sent\n"},
        {send_to("COM251"), 4, "", "Cannot open " + missing_port + "; nothing was sent\n"},
        {send_to("ttyUSB0"), 4, "",
         "PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or a device path such as "
         + device_path_example + "; nothing was sent\n"},
        {{"--version"}, 0, "tervalink-frames 1.34\n", ""},
        // Asking for help is not a usage error: the usage goes to stdout and the status is 0.
        {{"--help"}, 0, usage, ""}, {{"decode", "-h"}, 0, usage, ""},
        {{"plan", "--choice", "3", "--help"}, 0, usage, ""},
        {{}, 2, "", bad("no subcommand given")},
        {{"plan", "--choice", "14"}, 2, "", bad("--choice: \"14\" is not a number from 0 to 13")},
        {{"plan", "--choice", "3", "--tick", "+3"}, 2, "",
         bad("--tick: \"+3\" is not a number from 0 to 38")},
        {{"check", "--set", "nid:1"}, 2, "", bad("--set nid:1: expected NAME=TEXT")},
        {{"check", "--file", ""}, 2, "", bad("--file needs a path")},
        {{"decode", "a", "b"}, 2, "", bad("decode takes at most one PATH")},
        {{"send", "--all"}, 2, "", bad("send needs at least one PORT")},
        {{"send", "COM 1", "--all", "COM 1"}, 2, "", bad("PORT COM 1 given twice")},
        {{"send", "COM 1", "--choice", "3", "--all"}, 2, "",
         bad("send needs either --choice K or --all")},
        {{"send", "COM 1", "--all", "--tick", "3"}, 2, "",
         bad("--tick goes with --choice, not with --all")}};
    for (const auto& [args, status, out, err] : outcomes) {
        const auto [run_status, run_out, run_err] = run_tool(args);
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(run_status, status);
        EXPECT_PRED2(matches, run_out, out);
        EXPECT_PRED2(matches, run_err, err);
    }
    EXPECT_TRUE(far_end.bytes().empty());
}

// Names with letters of several scripts, passed on the command line, name the files the tool
// reads and those it cannot find; on Windows such letters are outside the ANSI code page.
TEST(CommandLine, FileNamesInAnyScript)
{
    const std::string data = scratch_file("Empfang-ä-ł-衛星.csv", read_all(TERVALINK_SAMPLE_DATA));
    const std::string capture = scratch_file("Mitschnitt-ä-ł-衛星.bin", "\x23\x53");
    const std::string missing = scratch_file("") + "Fehlt-ä-ł-衛星.csv";
    const std::tuple<Args, int, std::string, std::string> outcomes[] = {
        // The sample data leaves no clashing row, where the start-up table has " 8  1".
        {{"check", "--file", data}, 0, "", ""},
        {{"decode", capture}, 0, "TP truncated, 2 of 15 bytes: 23 53\n", ""},
        {{"check", "--file", missing}, 5, "",
         "Cannot open " + missing + ": no such file; check the name and the folder\n"}};
    for (const auto& [args, status, out, err] : outcomes) {
        const auto [run_status, run_out, run_err] = run_tool(args);
        SCOPED_TRACE(args.back());
        EXPECT_EQ(run_status, status);
        EXPECT_EQ(run_out, out);
        EXPECT_EQ(run_err, err);
    }
    EXPECT_TRUE(std::filesystem::exists(file_path(data)));
    EXPECT_FALSE(std::filesystem::exists(file_path(missing)));
}

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
    ASSERT_TRUE(std::filesystem::exists(file_path(log)));
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
        {45, "64500.000" + port + "TP,23 53 00 01 "},
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

TEST(Monitor, RefusesPortsItCannotUse)
{
    const std::tuple<std::string, int, std::string> cases[] = {
        {"COM 251", 4, "Cannot open " + missing_port + "\n"},
        {"ttyUSB9", 2, "PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or a device "
                       "path such as " + device_path_example + "\n"}};
    for (const auto& [port, exit_code, diagnostic] : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(run_monitor(port, out, err), exit_code);
        EXPECT_EQ(err.str(), diagnostic);
        EXPECT_EQ(out.str(), "");
    }
}

} // namespace
} // namespace tervalink::frames_tool
