#include <array>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "data_file.h"
#include "data_file_reader.h"
#include "failure_of.h"
#include "path_refusals.h"
#include "satellite_table.h"

namespace tervalink {
namespace {

using test::failure_of;

namespace fs = std::filesystem;
using Autos = std::array<std::string, auto_rate_count>;
using Texts = std::vector<std::string>;
constexpr auto whole = std::numeric_limits<std::size_t>::max();

// Lines 1..count of a file whose every field tells its line apart: TP line n is
// "S<slot>,<100+n>,<n>,<11000+n>,<27000+n>,<n odd>"; auto line n holds 20000 + 1000 (n - 40) + k.
std::vector<std::string> file_lines(int count)
{
    std::vector<std::string> lines;
    for (int n = 1; n <= count; ++n) {
        const std::string d = (n < 10 ? "0" : "") + std::to_string(n);
        std::string line = "S" + std::to_string((n - 1) % slot_count) + ",1" + d + "," + std::to_string(n) + ",110" + d + ",270" + d + (n % 2 ? ",1" : ",0");
        if (n > tp_line_count)
            for (int k = 0; k < auto_rate_count; ++k)
                line = (k ? line + ",2" : "2") + std::to_string(n - 40) + "00" + std::to_string(k);
        lines.push_back(line);
    }
    return lines;
}

std::string join(const std::vector<std::string>& lines, const std::string& line_break)
{
    std::string text;
    for (const auto& line : lines)
        text += line + line_break;
    return text;
}

// Reads the text as the file "f.csv" fed in pieces of the given size, then finishes.
std::string read(ImportBuffers& buffers, std::string_view text, std::size_t piece = whole)
{
    DataFileReader reader("f.csv", buffers);
    return failure_of([&] {
        for (std::size_t at = 0; at < text.size(); at += piece)
            reader.feed(text.substr(at, piece));
        reader.feed({});
        reader.finish();
    });
}

// Position, NID, FREQ, SYMB and POL of TP row index i.
Texts row(const SatelliteTable& table, int i)
{
    return {i < slot_count ? table.position(i) : "-", table.nid(i), table.freq(i), table.symb(i), table.pol(i)};
}

Texts texts(const auto& buffer) { return Texts(buffer.begin(), buffer.end()); }

// The format's example lines 1, 2, 14 and 42 in a generated file; the last auto line wins.
TEST(DataFileImport, WholeFileFillsTheTableKeepsTheTicksAndClearsTheSelection)
{
    ImportBuffers buffers;
    SatelliteTable table;
    table.set_option(3);
    for (int i : {3, 16})
        table.set_ticked(i, true);
    std::vector<std::string> lines = file_lines(42);
    lines[0] = "S0,130,1,11200,27500,1";
    lines[1] = "S1,192,2,11300,22000,0";
    lines[13] = "S0,,1,11400,27500,0";
    lines[41] = "22000,27500,30000,1000,2000,3000,4000,5000,6000,7000";
    ASSERT_EQ(read(buffers, join(lines, "\r\n")), "");
    apply_import(buffers, table);

    EXPECT_EQ(row(table, 0), (Texts{"130", "1", "11200", "27500", "H"}));
    EXPECT_EQ(row(table, 1), (Texts{"192", "2", "11300", "22000", "V"}));
    EXPECT_EQ(row(table, 12), (Texts{"113", "13", "11013", "27013", "H"}));
    EXPECT_EQ(row(table, 13), (Texts{"-", "1", "11400", "27500", "V"}));
    EXPECT_EQ(row(table, 38), (Texts{"-", "39", "11039", "27039", "H"}));
    Texts autos;
    for (int k = 0; k < auto_rate_count; ++k)
        autos.push_back(table.auto_rate(k));
    EXPECT_EQ(autos, (Texts{"22000", "27500", "30000", "1000", "2000", "3000", "4000", "5000", "6000", "7000"}));
    EXPECT_EQ(buffers.file_line_count, 39);
    EXPECT_EQ(table.selected_choice(), no_choice);
    EXPECT_FALSE(table.option_emphasis(3) || table.caption_emphasis(16));
    EXPECT_TRUE(table.frame_emphasis(3) && table.ticked(3) && table.ticked(16));

    // A short file copies the buffers as they stand: what an earlier file left comes back,
    // whatever was typed since.
    table.set_text(Field::position, 11, "7");
    table.set_text(Field::auto_rate, 3, "999");
    ASSERT_EQ(read(buffers, "X,1,2,3,4,0\nX,1,2,3,4,0"), "");
    apply_import(buffers, table);
    EXPECT_EQ(buffers.file_line_count, 2);
    EXPECT_EQ(row(table, 1), (Texts{"1", "2", "3", "4", "V"}));
    EXPECT_EQ(row(table, 11), (Texts{"112", "12", "11012", "27012", "V"}));
    EXPECT_EQ(table.auto_rate(3), "1000");
    ASSERT_EQ(read(buffers, ""), "");
    EXPECT_EQ(buffers.file_line_count, 0);
    EXPECT_EQ(texts(buffers.file_tp_records[1]), (Texts{"X", "1", "2", "3", "4", "0"}));
}

TEST(DataFileImport, FieldsAreStoredAsTextsWithinTheTableLimits)
{
    const struct { std::string line; Texts record; std::string pol; } cases[] = { // line 1 of a one-line file
        {"S0, 130 , 1 , 11200,27500 ,1", {"S0", " 130", " 1 ", " 1120", "27500", "1"}, "H"},
        {"S0,123456,1234567,11200000,27500000,0", {"S0", "1234", "12345", "11200", "27500", "0"}, "V"},
        {"a very long unused field,,,,,", {"a very l", "", "", "", "", ""}, "V"},
        {"S\xE9,19\xB0,\xE9\xE9\xE9\xE9\xE9\xE9,x,y,\xB9", {"S\xC3\xA9", "19\xC2\xB0", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "x", "y", "\xC2\xB9"}, "V"},
        // Only the one character after the fifth comma is the flag, and only "1" is horizontal.
        {",,,,,H", {"", "", "", "", "", "H"}, "V"}, {",,,,, 1", {"", "", "", "", "", " "}, "V"},
        {",,,,,10", {"", "", "", "", "", "1"}, "H"}, {",,,,,1,x", {"", "", "", "", "", "1"}, "H"},
        {",,,,,,1", {"", "", "", "", "", ","}, "V"}};
    for (const auto& c : cases) {
        ImportBuffers buffers;
        SatelliteTable table;
        ASSERT_EQ(read(buffers, c.line + "\n"), "") << c.line;
        apply_import(buffers, table);
        EXPECT_EQ(texts(buffers.file_tp_records[0]), c.record) << c.line;
        EXPECT_EQ(row(table, 0), (Texts{c.record[1], c.record[2], c.record[3], c.record[4], c.pol})) << c.line;
    }
}

// CR, LF and CR LF each end a line, and a line, a field or a CR LF pair may be cut anywhere
// between two reads. Each case reads, whole and in pieces, over buffers whose every field is "o";
// a failing read keeps what it stored: earlier lines whole, the failing line up to its last comma,
// later lines untouched. An auto case line is followed by a long line without commas, which stops
// the read without storing anything. Short complete auto lines take a faster way through the
// reader than lines cut by the end of a piece.
TEST(DataFileReader, EveryLineBreakAndCutReadsAlikeAndALineWithoutItsCommasKeepsWhatWasStored)
{
    const auto lines = file_lines(41);
    std::string mixed, long_file = join(file_lines(40), "\n"); // line numbers beyond sixteen bits
    for (std::size_t n = 0; n < lines.size(); ++n)
        mixed += lines[n] + std::array{"\n", "\r", "\r\n"}[n % 3];
    for (int n = 41; n <= 70000; ++n)
        long_file += "1,2,3,4,5,6,7,8,9,10\n";
    const std::string lf = join(lines, "\n"), tp = join(file_lines(39), "\n"), stop = "\n" + std::string(100, 'x');
    const auto tenth = [](std::string last) { return Texts{"1", "2", "3", "4", "5", "6", "7", "8", "9", std::move(last)}; };
    const Texts o6(6, "o"), line_41 = {"21000", "21001", "21002", "21003", "21004", "21005", "21006", "21007", "21008", "21009"};
    const std::string at_41 = "line 41: expected 9 commas, found 0", empty_2 = "line 2: expected 5 commas, found 0 (the line is empty)";
    // message after "f.csv, " ("" when the read succeeds); line_count: TP lines stored whole;
    // stored: the buffer of the last line read (its TP record, or the auto values).
    const struct { std::string text, message; int line_count; Texts stored; } cases[] = {
        {lf, "", 39, line_41}, {join(lines, "\r"), "", 39, line_41}, {join(lines, "\r\n"), "", 39, line_41},
        {mixed, "", 39, line_41}, {lf.substr(0, lf.size() - 1), "", 39, line_41},
        {join(lines, "\n\r"), empty_2, 1, o6}, {join(lines, "\r\r\n"), empty_2, 1, o6},
        {join(file_lines(11), "\n") + "N,P,Q,R,S\n" + tp, "line 12: expected 5 commas, found 4", 11, {"N", "P", "Q", "R", "o", "o"}},
        {join(file_lines(4), "\r") + "\r" + tp, "line 5: expected 5 commas, found 0 (the line is empty)", 4, o6},
        {long_file + "1,2,3\n", "line 70001: expected 9 commas, found 2", 39, tenth("10")},
        // One line of 8 MiB: what is kept of a field stays within its limit.
        {std::string(8 << 20, 'x'), "line 1: expected 5 commas, found 0", 0, o6},
        {tp + "1,2,3,4,5,6,7,8,9,10" + stop, at_41, 39, tenth("10")},
        {tp + ",,,,,,,,," + stop, at_41, 39, Texts(10, "")},
        {tp + "1,2,3,4,5,6,7,8,9,1,0,5" + stop, at_41, 39, tenth("1,0,5")},
        {tp + "123456,2,3,4,5,6,7,8, 9 ,1234567" + stop, at_41, 39, {"12345", "2", "3", "4", "5", "6", "7", "8", " 9 ", "12345"}},
        // 63, 64 and 65 bytes before the line break: around the 64-byte window.
        {tp + "1,2,3,4,5,6,7,8,9," + std::string(45, 'a') + stop, at_41, 39, tenth("aaaaa")},
        {tp + "1,2,3,4,5,6,7,8,9," + std::string(46, 'b') + "\r" + stop, at_41, 39, tenth("bbbbb")},
        {tp + "1,2,3,4,5,6,7,8,9," + std::string(47, 'c') + stop, at_41, 39, tenth("ccccc")},
        {tp + "1,2,3,4,5,6,7,8,9" + stop, "line 40: expected 9 commas, found 8", 39, {"1", "2", "3", "4", "5", "6", "7", "8", "o", "o"}},
        {tp + "\n", "line 40: expected 9 commas, found 0 (the line is empty)", 39, Texts(10, "o")},
        {join(file_lines(40), "\r\n") + "a,b,c,d,e,f,g,h,i", "line 41: expected 9 commas, found 8", 39, {"a", "b", "c", "d", "e", "f", "g", "h", "20008", "20009"}},
        {join(file_lines(40), "\n") + "\n", "line 41: expected 9 commas, found 0 (the line is empty)", 39,
         {"20000", "20001", "20002", "20003", "20004", "20005", "20006", "20007", "20008", "20009"}}};
    for (const auto& c : cases) {
        for (std::size_t piece : {whole, std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{33}}) {
            ImportBuffers buffers;
            for (auto& record : buffers.file_tp_records)
                record.fill("o");
            buffers.file_auto_rates.fill("o");
            EXPECT_EQ(read(buffers, c.text, piece), c.message.empty() ? "" : "f.csv, " + c.message) << piece;
            const auto& records = buffers.file_tp_records;
            const auto n = static_cast<std::size_t>(c.line_count);
            EXPECT_EQ(buffers.file_line_count, c.line_count) << c.message;
            EXPECT_EQ(n == tp_line_count ? texts(buffers.file_auto_rates) : texts(records[n]), c.stored) << c.message;
            // The line before the last one read is whole; the next TP record and the autos are untouched.
            const Texts around = {n ? join(texts(records[n - 1]), ",") : "-", n < tp_line_count ? records[n + 1][2] + buffers.file_auto_rates[0] : "oo"};
            EXPECT_EQ(around, (Texts{n ? file_lines(c.line_count)[n - 1] + "," : "-", "oo"})) << c.message;
        }
    }
}

// import_data_file names the path in its failures and leaves the table alone when the file cannot
// be opened or read; what the buffers hold tells how far it got.
TEST(DataFileImport, PathsThatCannotBeReadFailWithTheReasonAndLeaveTheTableAlone)
{
    const auto folder = (fs::temp_directory_path() / ("tervalink-import-" + std::to_string(::getpid()))).string();
    fs::create_directories(folder);
    const auto plain = folder + "/plain.csv";
    std::ofstream(plain) << join(file_lines(3), "\n");
    ImportBuffers buffers;
    SatelliteTable table;
    ASSERT_EQ(failure_of([&] { import_data_file(plain, buffers, table); }), "");
    const SatelliteTable before = table;
    const auto check = [&](const std::string& path, const std::string& message, int line_count) {
        EXPECT_EQ(failure_of([&] { import_data_file(path, buffers, table); }), message);
        EXPECT_EQ(buffers.file_line_count, line_count) << path;
        EXPECT_TRUE(table == before) << path;
    };
    const auto missing = folder + "/missing.csv";
    check(missing, "Cannot open " + missing + ": no such file; check the name and the folder", 3);
    check(folder, "Cannot open " + folder + ": it is a directory, not a data file", 3);
    test::check_system_refusals(folder, plain, check);
    fs::remove_all(folder);
}

} // namespace
} // namespace tervalink
