// tervalink-frames: the built tool run as a technician runs it (arguments, exit statuses, texts),
// and send through the library with a virtual clock per line and pseudo-terminals as the antenna
// units. The frames and schedules themselves are pinned by the core tests.
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "far_end.h"
#include "held_clock.h"
#include "send.h"
#include "text_lines.h"
#include "worked_frames.h"

namespace tervalink::frames_tool {
namespace {

using Args = std::vector<std::string>;
using Lines = std::vector<std::string>;

std::string read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Tests run as parallel processes: each keeps to its own files.
std::string scratch_file(const std::string& name, const std::string& content = {})
{
    const std::string path =
        testing::TempDir() + "tervalink_frames_" + std::to_string(::getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

// The built tervalink-frames, with a capture on its standard input (two stray bytes and the start
// of a TP frame): its exit status (-1 when it did not exit normally), stdout and stderr. Files
// instead of pipes: nothing can block however much the tool writes.
std::tuple<int, std::string, std::string> run_tool(const Args& args)
{
    std::string command = TERVALINK_FRAMES;
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    const std::string in = scratch_file("stdin", std::string("\x00\x0d\x23\x53\x03", 5));
    const std::string out = scratch_file("stdout"), err = scratch_file("stderr");
    const int status = std::system((command + " <" + in + " >" + out + " 2>" + err).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_all(out), read_all(err)};
}

// HOTBIRD TP2 as in the worked example, row index 16 of slot 3, between `first` and `then`.
// TEXT is all after the first "=": "V=H" is vertical.
Args hotbird_tp2(Args first, const Args& then = {"--choice", "3", "--tick", "16"})
{
    for (const char* set :
         {"pos:3=130", "nid:16=1", "freq:16=11778", "symb:16=27500", "pol:16=V=H"})
        first.insert(first.end(), {"--set", set});
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

// Each line's clock from `make_clock` (a virtual one unless given), the progress looked at every
// millisecond.
SendEnvironment test_environment(std::function<std::unique_ptr<TransmissionClock>()> make_clock =
                                     [] { return std::make_unique<VirtualClock>(); })
{
    return {.make_clock = std::move(make_clock), .priority = SendingPriority::normal,
            .refresh = std::chrono::milliseconds(1)};
}

// The text exactly; an expected "A...B" stands for any text that starts with A and ends with B.
bool matches(const std::string& text, const std::string& expected)
{
    const std::size_t gap = expected.find("...");
    return gap == std::string::npos ? text == expected
                                    : text.starts_with(expected.substr(0, gap)) &&
                                          text.ends_with(expected.substr(gap + 3));
}

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
        return hotbird_tp2({"send", far_end.slave_path(), port});
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
        {{"decode", "/nonexistent/capture.bin"}, 5, "",
         "Cannot open /nonexistent/capture.bin: No such file or directory\n"},
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
        {send_to("COM 499"), 4, "",
         "Cannot open COM 499 (/dev/rfcomm99): no such device; nothing was sent\n"},
        {send_to("COM499"), 4, "",
         "PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or a device path such as "
         "/dev/ttyUSB0; nothing was sent\n"},
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

// The one send at the machine's own clock: an AUTO SYMBOL update through a pseudo-terminal, as a
// technician runs it with its output going to a file. Its frames log gives the write times: no
// pause may be short, and none more than 40 ms long, a bound a loaded CI machine holds.
TEST(Send, AutoSymbolThroughAPseudoTerminalAtTheRealClock)
{
    test::FarEnd far_end;
    const std::string port = far_end.slave_path();
    const std::string log = scratch_file("frames.csv");
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
        EXPECT_LE(pause_ms, ticks[i - 1] * 10.0 + 40.0) << logged[i];
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
        Args{far_end.slave_path(), "--all", "--file", TERVALINK_SAMPLE_DATA, "--log", log_path});
    ASSERT_EQ(run_send(args, out, err, test_environment()), 0) << err.str();
    const Lines log = test::lines_of(read_all(log_path));
    ASSERT_EQ(log.size(), 39u * 45 + 10);
    const std::string port = "," + far_end.slave_path() + ",";
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
    EXPECT_EQ(printed.back(), far_end.slave_path() + ": completed, 14 updates, 1765 frames");
}

TEST(Send, UnpluggedLineEndsAloneAndTheOthersFinish)
{
    test::FarEnd kept;
    test::PseudoTerminal unplugged;
    const SendEnvironment env = test_environment([&, line = 0]() mutable {
        auto clock = std::make_unique<VirtualClock>();
        // Halfway through the pause after the seventh frame (written at 6.0 s) of the second line.
        if (line++ == 1)
            clock->at(std::chrono::milliseconds(6100), [&] { unplugged.close_master(); });
        return clock;
    });
    const SendArguments args = parse_send_arguments(
        hotbird_tp2({kept.slave_path(), unplugged.slave_path()}));
    std::ostringstream out, err;
    EXPECT_EQ(run_send(args, out, err, env), 4);
    const std::string gone =
        "Cannot send to " + unplugged.slave_path() + ": the device has gone (unplugged?)";
    EXPECT_EQ(err.str(), gone + "\n");
    const Lines printed = test::lines_of(out.str());
    EXPECT_EQ(Lines(printed.end() - 2, printed.end()),
              (Lines{kept.slave_path() + ": completed, 1 update, 45 frames",
                     unplugged.slave_path() + ": failed in update 1 of 1, HOTBIRD TP2, repetition "
                                              "3 of 15 after 7 frames: " + gone}));
}

// The test keeps the held clock; the line gets one that passes each call on to it.
struct Borrowed : TransmissionClock {
    explicit Borrowed(TransmissionClock& clock) : held(clock) {}
    Time now() override { return held.now(); }
    bool sleep_until(Time at, StopRequest& stop) override { return held.sleep_until(at, stop); }
    TransmissionClock& held;
};

// SIGINT and SIGTERM end the run in the pause they come in: no frame is cut, the ports close and
// the summary says what went out.
TEST(Send, SignalsEndTheRunBetweenFrames)
{
    const std::tuple<int, int, int, std::string> cases[] = { // signal, pause, status, summary
        {SIGINT, 0, 130, ": stopped by SIGINT in update 1 of 1, HOTBIRD TP2, repetition 1 of 15 "
                         "after 1 frame"},
        {SIGTERM, 5, 143, ": stopped by SIGTERM in update 1 of 1, HOTBIRD TP2, repetition 2 of 15 "
                          "after 6 frames"}};
    // The signals are held in every thread, so only the run's own wait can take them.
    sigset_t held, previous;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous);
    for (const auto& [signal, pause, status, summary] : cases) {
        test::FarEnd far_end;
        test::HeldClock clock;
        clock.hold_at_pause(pause); // pause + 1 frames are out when the signal comes
        const SendEnvironment env =
            test_environment([&] { return std::make_unique<Borrowed>(clock); });
        int exit_status = -1;
        std::ostringstream out, err;
        std::thread run([&] {
            exit_status =
                run_send(parse_send_arguments(hotbird_tp2({far_end.slave_path()})), out, err, env);
        });
        EXPECT_TRUE(clock.wait_until_held());
        ::kill(::getpid(), signal);
        run.join();
        EXPECT_EQ(exit_status, status);
        EXPECT_EQ(err.str(), "");
        EXPECT_EQ(test::lines_of(out.str()).back(), far_end.slave_path() + summary);
        EXPECT_TRUE(far_end.wait_for_bytes(15u * (pause + 1), std::chrono::seconds(10)));
        EXPECT_EQ(far_end.bytes().size(), 15u * (pause + 1));
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

} // namespace
} // namespace tervalink::frames_tool
