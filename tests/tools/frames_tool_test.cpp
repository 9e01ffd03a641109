#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text_lines.h"

#include "far_end.h"
#include "worked_frames.h"

extern char** environ;

namespace tervalink {
namespace {

using Args = std::vector<std::string>;
using Lines = std::vector<std::string>;

struct ToolRun {
    int status = -1; // exit status, -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Tests run as parallel processes: each keeps to its own files.
std::string scratch_file(const std::string& name, const std::string& content)
{
    const std::string path =
        ::testing::TempDir() + "tervalink_frames_" + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The built tervalink-frames with `input` on its standard input. Files instead of pipes: nothing
// can block however much the tool writes.
ToolRun run_tool(Args args, const std::string& input = {})
{
    const std::string in = scratch_file("stdin", input);
    const std::string out = scratch_file("stdout", "");
    const std::string err = scratch_file("stderr", "");
    args.insert(args.begin(), TERVALINK_FRAMES);
    std::vector<char*> argv;
    for (std::string& word : args)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_TRUNC, 0);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_TRUNC, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int wait_status = 0;
    if (spawned != 0 || waitpid(pid, &wait_status, 0) != pid) {
        ADD_FAILURE() << "cannot run " << args[0];
        return {};
    }
    return {WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1, read_all(out), read_all(err)};
}


Args joined(Args first, const Args& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// "--set" before each assignment.
Args sets(std::initializer_list<std::string> assignments)
{
    Args args;
    for (const std::string& assignment : assignments)
        args.insert(args.end(), {"--set", assignment});
    return args;
}

// HOTBIRD TP2 as in the worked example, row index 16 of slot 3.
const Args hotbird_tp2 =
    sets({"pos:3=130", "nid:16=1", "freq:16=11778", "symb:16=27500", "pol:16=V"});
const Args worked_auto_rates =
    sets({"auto:0=27500", "auto:1=22000", "auto:2=30000", "auto:3=29900", "auto:4=27000",
          "auto:5=28000", "auto:6=25000", "auto:7=23000", "auto:8=6111", "auto:9=5000"});

// Effects run in the fixed order whatever the order on the command line.
TEST(Plan, WorkedExampleWithItsSchedule)
{
    const auto run = run_tool(joined({"plan", "--tick", "16", "--choice", "3"}, hotbird_tp2));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto out = test::lines_of(run.out);
    ASSERT_EQ(out.size(), 46u);
    EXPECT_EQ(Lines(out.begin(), out.begin() + 4),
              (Lines{"0 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
                     "30 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
                     "60 23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A",
                     "290 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A"}));
    EXPECT_EQ(out.back(), "end 6450");
}

struct OutcomeCase {
    std::string name;
    Args args;
    int status;
    std::string out; // exactly
    std::string err; // exactly; for a usage error its first line, the usage follows
};

void PrintTo(const OutcomeCase& c, std::ostream* out) { *out << c.name; }

class ToolOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(ToolOutcome, ExitStatusAndTexts)
{
    const auto run = run_tool(GetParam().args);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.out, GetParam().out);
    if (GetParam().status != 2) {
        EXPECT_EQ(run.err, GetParam().err);
        return;
    }
    const Lines err = test::lines_of(run.err);
    ASSERT_GE(err.size(), 2u) << run.err;
    EXPECT_EQ(err[0], GetParam().err);
    EXPECT_EQ(err[1].rfind("usage: tervalink-frames plan [--file PATH]", 0), 0u) << err[1];
}

const std::string missing_file = "/nonexistent/tervalink.csv";
const std::string missing_message =
    "Cannot open /nonexistent/tervalink.csv: no such file; check the name and the folder\n";

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ToolOutcome,
    ::testing::Values(
        OutcomeCase{"nothing_selected", {"plan", "--choice", "none"}, 3,
                    "Select a satellite to update\n", ""},
        OutcomeCase{"clash_rows_0_and_2",
                    joined({"plan", "--choice", "3", "--tick", "3", "--tick", "29"},
                           sets({"nid:3=1", "freq:3=10787", "symb:3=27500", "pol:3=V", "nid:29=1",
                                 "freq:29=10787", "symb:29=27500", "pol:29=V"})),
                    3, "Change the TP 1, TP 3 informations (DATA FORMAT ERROR)\n", ""},
        // Passes the entry tests, cannot be encoded: the error path, nothing on stdout.
        OutcomeCase{"plan_nid_overflow",
                    joined(joined({"plan"}, hotbird_tp2),
                           {"--set", "nid:16=70000", "--choice", "3", "--tick", "16"}),
                    4, "", "NID of HOTBIRD TP2: 70000 does not fit 0..65535\n"},
        OutcomeCase{"plan_import_fails", {"plan", "--file", missing_file, "--choice", "none"},
                    5, "", missing_message},
        // USER 1 keeps its default position 42 (0x2A): with row 1 empty the checksum is
        // 8 ^ 1 ^ 0x2A = 0x23, so even the start-up table has one clashing row.
        OutcomeCase{"check_defaults", {"check"}, 0, " 8  1\n", ""},
        OutcomeCase{"check_overflow_keeps_lines_so_far",
                    joined({"check"}, sets({"freq:0=10787", "freq:1=10787", "nid:2=70000",
                                            "freq:3=10787"})),
                    4, " 0  0\n 1  0\n", "NID of ASTRA 1 TP1: 70000 does not fit 0..65535\n"},
        OutcomeCase{"check_import_fails", {"check", "--file", missing_file}, 5, "",
                    missing_message},
        OutcomeCase{"decode_unreadable", {"decode", "/nonexistent/capture.bin"}, 5, "",
                    "Cannot open /nonexistent/capture.bin: No such file or directory\n"}),
    [](const auto& test) { return test.param.name; });

OutcomeCase bad(std::string name, Args args, std::string first_line)
{
    return {std::move(name), std::move(args), 2, "", "tervalink-frames: " + first_line};
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, ToolOutcome,
    ::testing::Values(
        bad("no_subcommand", {}, "no subcommand given"),
        bad("send_without_port", {"send"}, "send needs at least one PORT"),
        bad("choice_14", {"plan", "--choice", "14"},
            "--choice: \"14\" is not a number from 0 to 13"),
        bad("tick_with_sign", {"plan", "--choice", "3", "--tick", "+3"},
            "--tick: \"+3\" is not a number from 0 to 38"),
        bad("no_equals", {"check", "--set", "nid:1"}, "--set nid:1: expected NAME=TEXT"),
        bad("file_empty", {"check", "--file", ""}, "--file needs a path"),
        bad("decode_two_paths", {"decode", "a", "b"}, "decode takes at most one PATH")),
    [](const auto& test) { return test.param.name; });

// Asking for help is not a usage error: the usage goes to stdout and the exit status is 0.
TEST(CommandLine, HelpAndVersionAnswerOnStdout)
{
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"plan", "--choice", "3", "--help"},
                             Args{"decode", "-h"}}) {
        const auto run = run_tool(args);
        EXPECT_EQ(run.status, 0) << args.back();
        EXPECT_EQ(run.out.rfind("usage: tervalink-frames plan [--file PATH]", 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    }
    const auto version = run_tool({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "tervalink-frames 1.34\n");
}

// 39 TP lines, row 16 (line 17) vertical HOTBIRD TP2, then the auto line. TEXT is all after the
// first "=", so "H=V" is horizontal.
TEST(PlanWithDataFile, SetsApplyAfterTheImportWhateverTheirPlace)
{
    std::string text;
    for (int line = 1; line <= 39; ++line)
        text += line == 4    ? "S3,130,7,11000,22000,1\r\n"
                : line == 17 ? "S3,,1,11778,27500,0\r\n"
                             : "S,90,1,11000,27500,0\r\n";
    text += "27500,22000,30000,29900,27000,28000,25000,23000,6111,5000\r\n";
    const auto run = run_tool({"plan", "--set", "pol:16=H=V", "--file",
                               scratch_file("data.csv", text), "--choice", "3", "--tick", "16"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::lines_of(run.out).front(), "0 23 53 03 01 82 00 01 00 02 2E 6C 6B 01 AB 2A");
}

// The bytes of plan's frame lines, as they would cross the line.
std::string wire_bytes(const Lines& plan_lines)
{
    std::string bytes;
    for (const std::string& line : plan_lines) {
        std::istringstream in(line.substr(line.find(' ') + 1));
        for (unsigned value = 0; in >> std::hex >> value;)
            bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

// NID 169 makes the tagged checksum 0x23, a start marker inside the frame.
TEST(Decode, ReadsBackWhatPlanWouldSend)
{
    auto planned = test::lines_of(run_tool(joined(joined({"plan"}, hotbird_tp2),
                                         {"--set", "nid:16=169", "--choice", "3", "--tick", "16"}))
                             .out);
    ASSERT_EQ(planned.size(), 46U);
    planned.pop_back();
    const std::string fields =
        ": position 130, NID 169, FREQ 11778, SYMB 27500, POL V; checksum ok, end marker ok";
    const auto run = run_tool({"decode"}, wire_bytes(planned));
    ASSERT_EQ(run.status, 0);
    const auto decoded = test::lines_of(run.out);
    ASSERT_EQ(decoded.size(), 45U);
    for (std::size_t i = 0; i < decoded.size(); ++i)
        EXPECT_EQ(decoded[i], (i % 3 == 2 ? "tagged TP" : "TP HOTBIRD TP2") + fields) << i;
}

TEST(Decode, ReadsACaptureFileWithStrayBytesAndACutOffTail)
{
    const auto run =
        run_tool({"decode", scratch_file("capture.bin", std::string("\x00\x0d\x23\x53\x03", 5))});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(test::lines_of(run.out),
              (Lines{"stray bytes (2): 00 0D", "TP truncated, 3 of 15 bytes: 23 53 03"}));
}

// The one send at the machine's own clock: an AUTO SYMBOL update through a pseudo-terminal, as a
// technician runs it with its output going to a file. Its frames log gives the write times: no
// pause may be short, and none more than 40 ms long, a bound a loaded CI machine holds.
TEST(Send, AutoSymbolThroughAPseudoTerminalAtTheRealClock)
{
    test::FarEnd far_end;
    const std::string log = scratch_file("frames.csv", "");
    const auto run = run_tool(
        joined({"send", far_end.slave_path(), "--choice", "13", "--log", log}, worked_auto_rates));

    EXPECT_EQ(run.status, 0) << run.err;
    const std::string port = far_end.slave_path();
    EXPECT_EQ(test::lines_of(run.out),
              (Lines{"1 update, AUTO SYMBOL: 21 s",
                     port + ": update 1 of 1, AUTO SYMBOL, repetition 1 of 5 sent",
                     port + ": update 1 of 1, AUTO SYMBOL, repetition 2 of 5 sent",
                     port + ": update 1 of 1, AUTO SYMBOL, repetition 3 of 5 sent",
                     port + ": update 1 of 1, AUTO SYMBOL, repetition 4 of 5 sent",
                     port + ": update 1 of 1, AUTO SYMBOL, repetition 5 of 5 sent",
                     port + ": completed, 1 update, 10 frames"}));
    ASSERT_TRUE(far_end.wait_for_bytes(240, std::chrono::seconds(5)));
    EXPECT_EQ(far_end.bytes(), test::repeated({test::autosym, test::autosym_tagged}, 5));
    const Lines logged = test::lines_of(read_all(log));
    ASSERT_EQ(logged.size(), 10u);
    const std::vector<int> ticks{150, 220, 150, 240, 150, 260, 150, 280, 150};
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const double pause_ms = std::stod(logged[i + 1]) - std::stod(logged[i]);
        EXPECT_GE(pause_ms, ticks[i] * 10.0) << logged[i + 1];
        EXPECT_LE(pause_ms, ticks[i] * 10.0 + 40.0) << logged[i + 1];
    }
}

} // namespace
} // namespace tervalink
