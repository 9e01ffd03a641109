// tervalink-frames as a technician runs it: its arguments, exit statuses and texts, file names
// in any script, and the ports monitor and ports refuse.
#include <gtest/gtest.h>

#include "far_end.h"
#include "tools_test_support.h"

namespace tervalink::frames_tool {
namespace {

TEST(CommandLine, ExitStatusesAndTexts)
{
    test::FarEnd far_end; // opened before the second PORT fails: nothing may reach it
    // Names with letters of several scripts name the files the tool reads and those it cannot
    // find; on Windows such letters are outside the ANSI code page.
    const std::string data = scratch_file("Empfang-ä-ł-衛星.csv", read_all(TERVALINK_SAMPLE_DATA));
    const std::string capture = scratch_file("Mitschnitt-ä-ł-衛星.bin", "\x23\x53");
    const std::string missing = scratch_file("") + "Fehlt-ä-ł-衛星.csv";
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
        {{"check", "--set", "freq:0=10787", "--set", "freq:1=10787", "--set", "nid:2=70000"}, 4,
         " 0  0\n 1  0\n", "NID of ASTRA 1 TP1: 70000 does not fit 0..65535\n"},
        // The sample data leaves no clashing row, where the start-up table has " 8  1" (USER 1's
        // default position 42 with row 1 empty).
        {{"check", "--file", data}, 0, "", ""},
        {{"check", "--file", missing}, 5, "",
         "Cannot open " + missing + ": no such file; check the name and the folder\n"},
        {{"decode"}, 0, "stray bytes (2): 00 0D\nTP truncated, 3 of 15 bytes: 23 53 03\n", ""},
        {{"decode", capture}, 0, "TP truncated, 2 of 15 bytes: 23 53\n", ""},
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
        {send_to("COM251"), 4, "", "Cannot open " + missing_port + "; nothing was sent\n"},
        {send_to("ttyUSB0"), 4, "",
         "PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or a device path such as "
         + device_path_example + "; nothing was sent\n"},
        {{"monitor", "COM 251"}, 4, "", "Cannot open " + missing_port + "\n"},
        {{"monitor", "ttyUSB9"}, 2, "",
         "PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or a device path such as "
         + device_path_example + "\n"},
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
        {{"ports", "now"}, 2, "", bad("ports takes no arguments")},
        {{"send", "--all"}, 2, "", bad("send needs at least one PORT")},
        {{"send", "COM 1", "--all", "COM 1"}, 2, "", bad("PORT COM 1 given twice")},
        {{"send", "COM 1", "--choice", "3", "--all"}, 2, "",
         bad("send needs either --choice K or --all")},
        {{"send", "COM 1", "--all", "--tick", "3"}, 2, "",
         bad("--tick goes with --choice, not with --all")},
        {{"send", "COM 1", "--all", "--reconnect", "0"}, 2, "",
         bad("--reconnect: \"0\" is not a number from 1 to 3600")},
        {{"send", "COM 1", "--all", "--reconnect", "3601"}, 2, "",
         bad("--reconnect: \"3601\" is not a number from 1 to 3600")},
        {{"send", "COM 1", "--all", "--reconnect", "60", "--reconnect", "9"}, 2, "",
         bad("--reconnect given twice")}};
    for (const auto& [args, status, out, err] : outcomes) {
        const auto [run_status, run_out, run_err] = run_tool(args);
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_EQ(run_status, status);
        EXPECT_PRED2(matches, run_out, out);
        EXPECT_PRED2(matches, run_err, err);
    }
    EXPECT_TRUE(far_end.bytes().empty());
    EXPECT_TRUE(std::filesystem::exists(file_path(data)));
    EXPECT_FALSE(std::filesystem::exists(file_path(missing)));
}

} // namespace
} // namespace tervalink::frames_tool
