#include <gtest/gtest.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "run_tool.h"

namespace tervalink {
namespace {

using testing_support::run_frames_tool;
using testing_support::scratch_file;
using Args = std::vector<std::string>;

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
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

// HOTBIRD TP2 as in the worked example, row index 16.
const Args hotbird_tp2 =
    sets({"pos:3=130", "nid:16=1", "freq:16=11778", "symb:16=27500", "pol:16=V"});
const Args worked_auto_rates =
    sets({"auto:0=27500", "auto:1=22000", "auto:2=30000", "auto:3=29900", "auto:4=27000",
          "auto:5=28000", "auto:6=25000", "auto:7=23000", "auto:8=6111", "auto:9=5000"});
const Args clashing_rows_0_and_2 = sets({"nid:3=1", "freq:3=10787", "symb:3=27500", "pol:3=V",
                                         "nid:29=1", "freq:29=10787", "symb:29=27500", "pol:29=V"});
const Args all_rates_zero = sets({"auto:0=0", "auto:1=0", "auto:2=0", "auto:3=0", "auto:4=0",
                                  "auto:5=0", "auto:6=0", "auto:7=0", "auto:8=0", "auto:9=0"});

struct PlanCase {
    std::string name;
    Args args;
    std::vector<std::string> first_lines; // the first three frames, offsets included
};

void PrintTo(const PlanCase& c, std::ostream* out) { *out << c.name; }

class PlanWorkedExample : public ::testing::TestWithParam<PlanCase> {};

TEST_P(PlanWorkedExample, WritesTheFramesByteForByte)
{
    const auto run = run_frames_tool(joined({"plan"}, GetParam().args));
    ASSERT_EQ(run.status, 0) << run.err;
    const auto out = lines(run.out);
    ASSERT_GE(out.size(), GetParam().first_lines.size());
    EXPECT_EQ(std::vector(out.begin(), out.begin() + 3), GetParam().first_lines);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, PlanWorkedExample,
    ::testing::Values(
        PlanCase{"hotbird_tp2",
                 joined(hotbird_tp2, {"--choice", "3", "--tick", "16"}),
                 {"0 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
                  "30 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
                  "60 23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A"}},
        PlanCase{"horizontal",
                 joined(hotbird_tp2, {"--set", "pol:16=H", "--choice", "3", "--tick", "16"}),
                 {"0 23 53 03 01 82 00 01 00 02 2E 6C 6B 01 AB 2A",
                  "30 23 53 03 01 82 00 01 00 02 2E 6C 6B 01 AB 2A",
                  "60 23 53 14 37 82 00 01 00 02 2E 6C 6B 01 8A 2A"}},
        // The tagged checksum is 0x23; only the plain packet is tested, so it goes out.
        PlanCase{"tagged_checksum_start_marker",
                 joined(hotbird_tp2, {"--set", "nid:16=169", "--choice", "3", "--tick", "16"}),
                 {"0 23 53 03 01 82 00 A9 00 02 2E 6C 6B 00 02 2A",
                  "30 23 53 03 01 82 00 A9 00 02 2E 6C 6B 00 02 2A",
                  "60 23 53 14 37 82 00 A9 00 02 2E 6C 6B 00 23 2A"}},
        PlanCase{"astra4s_tp3",
                 {"--set", "pos:12=3550", "--set", "nid:38=65535", "--set", "freq:38=12750",
                  "--set", "symb:38=31999", "--set", "pol:38=h", "--choice", "12", "--tick", "38"},
                 {"0 23 53 0C 02 DE 0D FF FF CE 31 FF 7C 01 A0 2A",
                  "30 23 53 0C 02 DE 0D FF FF CE 31 FF 7C 01 A0 2A",
                  "60 23 53 14 37 DE 0D FF FF CE 31 FF 7C 01 8D 2A"}},
        PlanCase{"auto_symbol",
                 joined(worked_auto_rates, {"--choice", "13"}),
                 {"0 23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 58 2A",
                  "150 23 42 14 37 F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 7C 2A",
                  "370 23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 58 2A"}},
        // TEXT splits at the first "=" and keeps blanks; a longer text keeps the field's limit.
        PlanCase{"text_after_first_equals",
                 joined(hotbird_tp2, {"--set", "pol:16=H=V", "--set", "pos:3=1 30", "--set",
                                      "freq:16=117789", "--choice", "3", "--tick", "16"}),
                 {"0 23 53 03 01 82 00 01 00 02 2E 6C 6B 01 AB 2A",
                  "30 23 53 03 01 82 00 01 00 02 2E 6C 6B 01 AB 2A",
                  "60 23 53 14 37 82 00 01 00 02 2E 6C 6B 01 8A 2A"}},
        // Effects run in the fixed order whatever the order on the command line.
        PlanCase{"tick_before_choice_in_argv",
                 joined({"--tick", "16", "--choice", "3"}, hotbird_tp2),
                 {"0 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
                  "30 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
                  "60 23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A"}}),
    [](const auto& test) { return test.param.name; });

// Offsets of one TP row: two 30-tick gaps, then 20 k + 210 after the tagged packet.
std::vector<long> one_row_offsets(long start)
{
    std::vector<long> offsets;
    for (long k = 1; k <= 15; ++k) {
        offsets.insert(offsets.end(), {start, start + 30, start + 60});
        start += 60 + 20 * k + 210;
    }
    return offsets;
}

std::vector<long> offsets_of(const std::vector<std::string>& frame_lines)
{
    std::vector<long> offsets;
    for (const std::string& line : frame_lines)
        offsets.push_back(std::stol(line));
    return offsets;
}

TEST(PlanSchedule, OneRowIs45FramesOver6450Ticks)
{
    auto out =
        lines(run_frames_tool(joined({"plan", "--choice", "3", "--tick", "16"}, hotbird_tp2)).out);
    ASSERT_EQ(out.size(), 46U);
    EXPECT_EQ(out.back(), "end 6450");
    out.pop_back();
    const auto offsets = offsets_of(out);
    EXPECT_EQ(std::vector(offsets.begin(), offsets.begin() + 5),
              (std::vector<long>{0, 30, 60, 290, 320}));
    EXPECT_EQ(offsets, one_row_offsets(0));
    EXPECT_EQ(offsets.back(), 5940); // the last tagged packet, followed by 510 ticks
}

TEST(PlanSchedule, ThreeRowsGoInRowOrderOneAfterTheOther)
{
    const Args rows = sets({"nid:3=1", "freq:3=11000", "symb:3=27500", "pol:3=V", "nid:29=3",
                            "freq:29=12000", "symb:29=22000", "pol:29=H"});
    auto out = lines(run_frames_tool(joined(joined({"plan"}, hotbird_tp2),
                                            joined(rows, {"--choice", "3", "--tick", "29", "--tick",
                                                          "3", "--tick", "16"})))
                         .out);
    ASSERT_EQ(out.size(), 136U);
    EXPECT_EQ(out.back(), "end 19350");
    out.pop_back();
    std::vector<long> expected;
    for (long start : {0L, 6450L, 12900L})
        for (long offset : one_row_offsets(start))
            expected.push_back(offset);
    EXPECT_EQ(offsets_of(out), expected);
    // Byte 3 of the plain packets: row 0 first, then row 1, then row 2.
    EXPECT_NE(out[0].find(" 23 53 03 00 "), std::string::npos);
    EXPECT_NE(out[45].find(" 23 53 03 01 "), std::string::npos);
    EXPECT_NE(out[90].find(" 23 53 03 02 "), std::string::npos);
}

TEST(PlanSchedule, AutoSymbolIs10FramesOver2050Ticks)
{
    auto out = lines(run_frames_tool(joined({"plan", "--choice", "13"}, worked_auto_rates)).out);
    ASSERT_EQ(out.size(), 11U);
    EXPECT_EQ(out.back(), "end 2050");
    out.pop_back();
    EXPECT_EQ(offsets_of(out),
              (std::vector<long>{0, 150, 370, 520, 760, 910, 1170, 1320, 1600, 1750}));
}

struct OutcomeCase {
    std::string name;
    Args args;
    int status;
    std::string out;            // exactly
    std::string err_containing; // empty: stderr must be empty
};

void PrintTo(const OutcomeCase& c, std::ostream* out) { *out << c.name; }

class ToolOutcome : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(ToolOutcome, ExitStatusAndTexts)
{
    const auto run = run_frames_tool(GetParam().args);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.out, GetParam().out);
    if (GetParam().err_containing.empty())
        EXPECT_EQ(run.err, "");
    else
        EXPECT_NE(run.err.find(GetParam().err_containing), std::string::npos) << run.err;
}

const std::string usage = "usage: tervalink-frames plan";

OutcomeCase bad(std::string name, Args args)
{
    return {std::move(name), std::move(args), 2, "", usage};
}

INSTANTIATE_TEST_SUITE_P(
    Plan, ToolOutcome,
    ::testing::Values(
        OutcomeCase{"nothing_selected",
                    {"plan", "--choice", "none"},
                    3,
                    "Select a satellite to update\n",
                    ""},
        OutcomeCase{"no_row_ticked", {"plan", "--choice", "3"}, 3, "Select TPs to update\n", ""},
        OutcomeCase{"tick_of_other_slot_undone",
                    joined({"plan", "--choice", "3", "--tick", "17"}, hotbird_tp2), 3,
                    "Select TPs to update\n", ""},
        OutcomeCase{
            "empty_position",
            {"plan", "--set", "pos:3=", "--choice", "3", "--tick", "16"},
            3,
            "Some of the required field(s) is(are) empty. Please fill out all the checked TP "
            "information.\n",
            ""},
        OutcomeCase{"empty_auto_rate",
                    {"plan", "--choice", "13"},
                    3,
                    "Some of the required field(s) is(are) empty. Please fill out all the "
                    "information.\n",
                    ""},
        OutcomeCase{"clash_rows_0_and_2",
                    joined(joined({"plan"}, clashing_rows_0_and_2),
                           {"--choice", "3", "--tick", "3", "--tick", "29"}),
                    3, "Change the TP 1, TP 3 informations (DATA FORMAT ERROR)\n", ""},
        OutcomeCase{"auto_all_zero", joined(joined({"plan"}, all_rates_zero), {"--choice", "13"}),
                    3, "Change the symbolrate informations (DATA FORMAT ERROR)\n", ""},
        // Passes the entry tests, cannot be encoded: the error path, nothing on stdout.
        OutcomeCase{"nid_overflow",
                    joined(joined({"plan"}, hotbird_tp2),
                           {"--set", "nid:16=70000", "--choice", "3", "--tick", "16"}),
                    4, "", "70000"},
        OutcomeCase{"import_fails",
                    {"plan", "--file", "/nonexistent/tervalink.csv", "--choice", "none"},
                    5,
                    "",
                    "/nonexistent/tervalink.csv"}),
    [](const auto& test) { return test.param.name; });

INSTANTIATE_TEST_SUITE_P(
    BadArguments, ToolOutcome,
    ::testing::Values(bad("no_subcommand", {}), bad("unknown_subcommand", {"send"}),
                      bad("plan_without_choice", {"plan", "--tick", "3"}),
                      bad("choice_twice", {"plan", "--choice", "3", "--choice", "4"}),
                      bad("choice_14", {"plan", "--choice", "14"}),
                      bad("choice_negative", {"plan", "--choice", "-1"}),
                      bad("tick_39", {"plan", "--choice", "3", "--tick", "39"}),
                      bad("tick_with_sign", {"plan", "--choice", "3", "--tick", "+3"}),
                      bad("pos_13", {"plan", "--set", "pos:13=1", "--choice", "none"}),
                      bad("nid_39", {"plan", "--set", "nid:39=1", "--choice", "none"}),
                      bad("auto_10", {"plan", "--set", "auto:10=1", "--choice", "none"}),
                      bad("unknown_field", {"check", "--set", "name:1=ASTRA"}),
                      bad("no_equals", {"check", "--set", "nid:1"}),
                      bad("no_index", {"check", "--set", "nid:=1"}),
                      bad("index_not_a_number", {"check", "--set", "nid:x=1"}),
                      bad("set_without_value", {"check", "--set"}),
                      bad("file_twice", {"check", "--file", "a", "--file", "b"}),
                      bad("file_empty", {"check", "--file", ""}),
                      bad("check_takes_no_choice", {"check", "--choice", "3"}),
                      bad("decode_two_paths", {"decode", "a", "b"}),
                      bad("decode_option", {"decode", "--file"}),
                      bad("monitor_without_port", {"monitor"}),
                      bad("monitor_two_ports", {"monitor", "COM 1", "COM 2"})),
    [](const auto& test) { return test.param.name; });

const Args clash_slot0_slot1 = sets({"freq:0=10787", "freq:1=10787"});

INSTANTIATE_TEST_SUITE_P(
    Check, ToolOutcome,
    ::testing::Values(
        // USER 1 keeps its default position 42 (0x2A): with row 1 empty the checksum is
        // 8 ^ 1 ^ 0x2A = 0x23, so even the start-up table has one clashing row.
        OutcomeCase{"defaults", {"check"}, 0, " 8  1\n", ""},
        OutcomeCase{"defaults_without_user1_position", {"check", "--set", "pos:8="}, 0, "", ""},
        OutcomeCase{"clashing_row",
                    {"check", "--set", "pos:3=130", "--set", "nid:16=1", "--set", "freq:16=10787"},
                    0,
                    " 3  1\n 8  1\n",
                    ""},
        OutcomeCase{
            "slot_order_and_two_digit_slot",
            {"check", "--set", "freq:10=10787", "--set", "freq:28=10787", "--set", "pos:8="},
            0,
            " 2  2\n 10  0\n",
            ""},
        OutcomeCase{"empty_position_skips_slot",
                    {"check", "--set", "pos:3=", "--set", "freq:16=10787", "--set", "pos:8="},
                    0,
                    "",
                    ""},
        OutcomeCase{"overflow_keeps_lines_so_far",
                    joined(joined({"check"}, clash_slot0_slot1),
                           {"--set", "nid:2=70000", "--set", "freq:3=10787"}),
                    4, " 0  0\n 1  0\n", "70000"},
        OutcomeCase{"import_fails",
                    {"check", "--file", "/nonexistent/tervalink.csv"},
                    5,
                    "",
                    "/nonexistent/tervalink.csv"}),
    [](const auto& test) { return test.param.name; });

// 39 TP lines and one auto line; row 16 (line 17) is HOTBIRD TP2 of the worked example.
std::string data_file()
{
    std::string text;
    for (int line = 1; line <= 39; ++line)
        text += line == 4    ? "S3,130,7,11000,22000,1\r\n"
                : line == 17 ? "S3,,1,11778,27500,0\r\n"
                             : "S,90,1,11000,27500,0\r\n";
    return text + "27500,22000,30000,29900,27000,28000,25000,23000,6111,5000\r\n";
}

TEST(PlanWithDataFile, ImportsThenAppliesTheSetsWhateverTheirPlace)
{
    const std::string path = scratch_file("data.csv", data_file());
    const auto imported =
        lines(run_frames_tool({"plan", "--choice", "3", "--tick", "16", "--file", path}).out);
    ASSERT_EQ(imported.size(), 46U);
    EXPECT_EQ(imported[0], "0 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A");
    const auto overridden = lines(run_frames_tool({"plan", "--set", "pol:16=H", "--file", path,
                                                   "--choice", "3", "--tick", "16"})
                                      .out);
    ASSERT_EQ(overridden.size(), 46U);
    EXPECT_EQ(overridden[0], "0 23 53 03 01 82 00 01 00 02 2E 6C 6B 01 AB 2A");
    const auto auto_rates = lines(run_frames_tool({"plan", "--file", path, "--choice", "13"}).out);
    ASSERT_EQ(auto_rates.size(), 11U);
    EXPECT_EQ(auto_rates[0],
              "0 23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 58 2A");
}

// The bytes of plan's frame lines, as they would cross the line.
std::string wire_bytes(const std::vector<std::string>& plan_lines)
{
    std::string bytes;
    for (const std::string& line : plan_lines) {
        std::istringstream in(line.substr(line.find(' ') + 1));
        for (unsigned value = 0; in >> std::hex >> value;)
            bytes.push_back(static_cast<char>(value));
    }
    return bytes;
}

TEST(Decode, ReadsBackWhatPlanWouldSend)
{
    auto planned =
        lines(run_frames_tool(joined(joined({"plan"}, hotbird_tp2),
                                     {"--set", "nid:16=169", "--choice", "3", "--tick", "16"}))
                  .out);
    ASSERT_EQ(planned.size(), 46U);
    planned.pop_back();
    const std::string tp = "TP HOTBIRD TP2: position 130, NID 169, FREQ 11778, SYMB 27500, POL V; "
                           "checksum ok, end marker ok";
    const std::string tagged = "tagged TP: position 130, NID 169, FREQ 11778, SYMB 27500, POL V; "
                               "checksum ok, end marker ok";
    const auto run = run_frames_tool({"decode"}, wire_bytes(planned));
    ASSERT_EQ(run.status, 0);
    const auto decoded = lines(run.out);
    ASSERT_EQ(decoded.size(), 45U);
    for (std::size_t i = 0; i < decoded.size(); ++i)
        EXPECT_EQ(decoded[i], i % 3 == 2 ? tagged : tp) << "frame " << i;
}

TEST(Decode, ReportsStrayBytesAndACutOffTailFromAFile)
{
    auto planned =
        lines(run_frames_tool(joined({"plan", "--choice", "13"}, worked_auto_rates)).out);
    ASSERT_EQ(planned.size(), 11U);
    const std::string wire = std::string("\x00\x0d", 2) + wire_bytes({planned[0]}) +
                             wire_bytes({planned[1]}).substr(0, 10);
    const auto run = run_frames_tool({"decode", scratch_file("capture.bin", wire)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(lines(run.out),
              (std::vector<std::string>{
                  "stray bytes (2): 00 0D",
                  "auto: rates 0-9 27500 22000 30000 29900 27000 28000 25000 23000 6111 5000; "
                  "checksum ok, end marker ok",
                  "tagged auto truncated, 10 of 24 bytes: 23 42 14 37 F0 55 30 75 CC 74"}));
}

TEST(Decode, UnreadableCaptureIsReported)
{
    const auto run = run_frames_tool({"decode", "/nonexistent/capture.bin"});
    EXPECT_EQ(run.status, 5);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Cannot open /nonexistent/capture.bin"), std::string::npos) << run.err;
}

} // namespace
} // namespace tervalink
