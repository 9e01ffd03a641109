#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "data_file.h"
#include "data_file_reader.h"
#include "failure.h"
#include "satellite_table.h"

namespace tervalink {
namespace {

namespace fs = std::filesystem;
using Autos = std::array<std::string, auto_rate_count>;
using Texts = std::vector<std::string>;

// Lines 1..count of a file whose every field tells its line apart: TP line n is
// "S<slot>,<100+n>,<n>,<11000+n>,<27000+n>,<n odd>"; auto line n holds 20000 + 1000 (n - 40) + k.
std::vector<std::string> file_lines(int count)
{
    std::vector<std::string> lines;
    for (int n = 1; n <= count; ++n) {
        std::string line;
        if (n <= tp_line_count) {
            for (int v : {(n - 1) % slot_count, 100 + n, n, 11000 + n, 27000 + n})
                line += std::to_string(v) + ",";
            lines.push_back("S" + line.substr(0, line.size() - 1) + (n % 2 ? ",1" : ",0"));
            continue;
        }
        for (int k = 0; k < auto_rate_count; ++k)
            line += (k ? "," : "") + std::to_string(20000 + 1000 * (n - 40) + k);
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

// The failure's description, or "" when the call succeeds.
template <typename Call>
std::string failure_of(Call call)
{
    try {
        call();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return {};
}

// Feeds the text in pieces of the given size, then finishes.
std::string read_in_pieces(DataFileReader& reader, std::string_view text, std::size_t piece)
{
    return failure_of([&] {
        for (std::size_t at = 0; at < text.size(); at += piece)
            reader.feed(text.substr(at, piece));
        reader.feed({});
        reader.finish();
    });
}

class DataFileImport : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder_); }
    void TearDown() override { fs::remove_all(folder_); }

    std::string write(const std::string& name, const std::string& bytes)
    {
        const auto path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::string import_path(const std::string& path) { return failure_of([&] { import_data_file(path, buffers_, table_); }); }

    void import(const std::string& bytes) { ASSERT_EQ(import_path(write("d.csv", bytes)), ""); }

    // Position, NID, FREQ, SYMB and POL of TP row index i.
    Texts row(int i) const { return {i < slot_count ? table_.position(i) : "-", table_.nid(i), table_.freq(i), table_.symb(i), table_.pol(i)}; }
    Autos autos() const
    {
        Autos autos;
        for (int k = 0; k < auto_rate_count; ++k)
            autos[static_cast<std::size_t>(k)] = table_.auto_rate(k);
        return autos;
    }

    fs::path folder_ = fs::temp_directory_path() / ("tervalink-import-" + std::to_string(::getpid()));
    ImportBuffers buffers_;
    SatelliteTable table_;
};

// The format's example lines 1, 2, 14 and 42 in a generated file; the last auto line wins.
TEST_F(DataFileImport, WholeFileFillsTheTableKeepsTheTicksAndClearsTheSelection)
{
    table_.set_option(3);
    for (int i : {3, 16})
        table_.set_ticked(i, true);
    std::vector<std::string> lines = file_lines(42);
    lines[0] = "S0,130,1,11200,27500,1";
    lines[1] = "S1,192,2,11300,22000,0";
    lines[13] = "S0,,1,11400,27500,0";
    lines[41] = "22000,27500,30000,1000,2000,3000,4000,5000,6000,7000";
    import(join(lines, "\r\n"));

    EXPECT_EQ(row(0), (Texts{"130", "1", "11200", "27500", "H"}));
    EXPECT_EQ(row(1), (Texts{"192", "2", "11300", "22000", "V"}));
    EXPECT_EQ(row(12), (Texts{"113", "13", "11013", "27013", "H"}));
    EXPECT_EQ(row(13), (Texts{"-", "1", "11400", "27500", "V"}));
    EXPECT_EQ(row(38), (Texts{"-", "39", "11039", "27039", "H"}));
    EXPECT_EQ(autos(), (Autos{"22000", "27500", "30000", "1000", "2000", "3000", "4000", "5000", "6000", "7000"}));
    EXPECT_EQ(buffers_.file_line_count, 39);
    EXPECT_EQ(table_.selected_choice(), no_choice);
    EXPECT_FALSE(table_.option_emphasis(3) || table_.caption_emphasis(16));
    EXPECT_TRUE(table_.frame_emphasis(3) && table_.ticked(3) && table_.ticked(16));
}

TEST_F(DataFileImport, FieldsAreStoredAsTextsWithinTheTableLimits)
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
        import(c.line + "\n");
        const auto& record = buffers_.file_tp_records[0];
        EXPECT_EQ(Texts(record.begin(), record.end()), c.record) << c.line;
        EXPECT_EQ(row(0), (Texts{c.record[1], c.record[2], c.record[3], c.record[4], c.pol})) << c.line;
    }
}

// A short or empty file copies the buffers as they stand: what an earlier file left comes back,
// whatever was typed since.
TEST_F(DataFileImport, ShortFilesBringBackWhatTheBuffersHeld)
{
    import(join(file_lines(2), "\n"));
    EXPECT_EQ(row(2), (Texts{"", "", "", "", "V"}));
    EXPECT_EQ(autos(), Autos{});

    import(join(file_lines(40), "\n"));
    table_.set_text(Field::freq, 20, "12000");
    table_.set_text(Field::position, 11, "7");
    table_.set_text(Field::auto_rate, 3, "999");
    import("X,1,2,3,4,0\nX,1,2,3,4,0");
    EXPECT_EQ(buffers_.file_line_count, 2);
    EXPECT_EQ(row(1), (Texts{"1", "2", "3", "4", "V"}));
    EXPECT_EQ(row(11), (Texts{"112", "12", "11012", "27012", "V"}));
    EXPECT_EQ(row(20), (Texts{"-", "21", "11021", "27021", "H"}));
    EXPECT_EQ(table_.auto_rate(3), "20003");

    import("");
    EXPECT_EQ(buffers_.file_line_count, 0);
    EXPECT_EQ(row(1), (Texts{"1", "2", "3", "4", "V"}));
}

// Each case reads over an earlier file whose every field is "old": the table stays as it was, and
// the buffers keep what the failing read stored (earlier lines whole, the failing line up to its
// last comma, later lines untouched).
TEST_F(DataFileImport, LineWithoutItsCommasFailsAndLeavesTheTableAlone)
{
    const Texts old = {"old", "old", "old", "old", "old", "1"};
    std::vector<std::string> tp_short = file_lines(40);
    tp_short[11] = "N,P,Q,R,S";
    std::vector<std::string> auto_short = file_lines(41);
    auto_short[40] = "a,b,c,d,e,f,g,h,i";
    std::vector<std::string> empty_tp = file_lines(40);
    empty_tp[4] = "";
    std::string long_file = join(file_lines(40), "\n"); // line numbers beyond sixteen bits
    for (int n = 41; n <= 70000; ++n)
        long_file += "1,2,3,4,5,6,7,8,9,10\n";
    // message after "<path>, "; line_count: TP lines stored whole; stored: the buffer of the
    // failing line (its TP record, or the auto values).
    const struct { std::string text, message; int line_count; Texts stored; } cases[] = {
        {join(tp_short, "\n"), "line 12: expected 5 commas, found 4", 11, {"N", "P", "Q", "R", "old", "1"}},
        {join(auto_short, "\r\n"), "line 41: expected 9 commas, found 8", 39, {"a", "b", "c", "d", "e", "f", "g", "h", "20008", "20009"}},
        {join(file_lines(40), "\n") + "\n", "line 41: expected 9 commas, found 0 (the line is empty)", 39,
         {"20000", "20001", "20002", "20003", "20004", "20005", "20006", "20007", "20008", "20009"}},
        {join(empty_tp, "\r"), "line 5: expected 5 commas, found 0 (the line is empty)", 4, old},
        {long_file + "1,2,3\n", "line 70001: expected 9 commas, found 2", 39, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        // One line of 8 MiB: what is kept of a field stays within its limit.
        {std::string(8 << 20, 'x'), "line 1: expected 5 commas, found 0", 0, old},
    };
    for (const auto& c : cases) {
        std::vector<std::string> old_file(40, "old,old,old,old,old,1");
        old_file[39] = "old,old,old,old,old,old,old,old,old,old";
        import(join(old_file, "\n"));
        table_.set_option(2);
        const SatelliteTable before = table_;

        const auto path = write("bad.csv", c.text);
        EXPECT_EQ(import_path(path), path + ", " + c.message);
        EXPECT_TRUE(table_ == before) << c.message;
        const auto& records = buffers_.file_tp_records;
        const auto& autos = buffers_.file_auto_rates;
        const auto n = static_cast<std::size_t>(c.line_count);
        EXPECT_EQ(buffers_.file_line_count, c.line_count) << c.message;
        if (n == tp_line_count) {
            EXPECT_EQ(Texts(autos.begin(), autos.end()), c.stored) << c.message;
            continue;
        }
        EXPECT_EQ(Texts(records[n].begin(), records[n].end()), c.stored) << c.message;
        EXPECT_EQ(records[n + 1][2], "old") << c.message;
        EXPECT_EQ(autos[0], "old") << c.message;
        if (n > 0) {
            EXPECT_EQ(records[n - 1][2], std::to_string(n)) << c.message;
        }
    }
}

// CR, LF and CR LF each end a line, and a line, a field or a CR LF pair may be cut anywhere
// between two reads.
TEST(DataFileReader, EveryLineBreakStyleAndEveryCutGiveTheSameBuffers)
{
    const auto lines = file_lines(41);
    std::string mixed;
    for (std::size_t n = 0; n < lines.size(); ++n)
        mixed += lines[n] + std::array{"\n", "\r", "\r\n"}[n % 3];
    const std::string lf = join(lines, "\n");
    const std::string empty_line_2 = "b.csv, line 2: expected 5 commas, found 0 (the line is empty)";
    const struct { std::string text, failure; } cases[] = { // failure: "" when the read succeeds
        {lf, ""}, {join(lines, "\r"), ""}, {join(lines, "\r\n"), ""}, {mixed, ""}, {lf.substr(0, lf.size() - 1), ""},
        {join(lines, "\n\r"), empty_line_2}, {join(lines, "\r\r\n"), empty_line_2}};
    for (const auto& c : cases) {
        for (std::size_t piece : {c.text.size(), std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{33}}) {
            ImportBuffers buffers;
            DataFileReader reader("b.csv", buffers);
            ASSERT_EQ(read_in_pieces(reader, c.text, piece), c.failure) << piece;
            if (!c.failure.empty())
                continue;
            const auto& first = buffers.file_tp_records[0];
            const auto& last = buffers.file_tp_records[38];
            EXPECT_EQ(Texts(first.begin(), first.end()), (Texts{"S0", "101", "1", "11001", "27001", "1"}));
            EXPECT_EQ(Texts(last.begin(), last.end()), (Texts{"S12", "139", "39", "11039", "27039", "1"}));
            EXPECT_EQ(buffers.file_auto_rates[9], "21009");
            EXPECT_EQ(reader.line_number(), 42U);
        }
    }
}

// Short complete auto lines take a faster way through the reader than lines cut by the end of a
// piece. Each case line is followed by a long line without commas, which stops the read without
// storing anything, so the buffers show what the case line stored.
TEST(DataFileReader, AutoLinesReadAlikeWholeAndInPieces)
{
    const std::string stop = "line 41: expected 9 commas, found 0";
    const auto tenth = [](std::string last) {
        return Autos{"1", "2", "3", "4", "5", "6", "7", "8", "9", std::move(last)};
    };
    const struct { std::string line_and_break; Autos autos; std::string message; } cases[] = { // message after "f.csv, "
        {"1,2,3,4,5,6,7,8,9,10\n", tenth("10"), stop},
        {",,,,,,,,,\n", Autos{}, stop},
        {"1,2,3,4,5,6,7,8,9,1,0,5\n", tenth("1,0,5"), stop},
        {"123456,2,3,4,5,6,7,8, 9 ,1234567\n", {"12345", "2", "3", "4", "5", "6", "7", "8", " 9 ", "12345"}, stop},
        // 63, 64 and 65 bytes before the line break: around the 64-byte window.
        {"1,2,3,4,5,6,7,8,9," + std::string(45, 'a') + "\n", tenth("aaaaa"), stop},
        {"1,2,3,4,5,6,7,8,9," + std::string(46, 'b') + "\r\n", tenth("bbbbb"), stop},
        {"1,2,3,4,5,6,7,8,9," + std::string(47, 'c') + "\n", tenth("ccccc"), stop},
        {"1,2,3,4,5,6,7,8,9\n", {"1", "2", "3", "4", "5", "6", "7", "8", "o", "o"}, "line 40: expected 9 commas, found 8"},
        {"\n", {"o", "o", "o", "o", "o", "o", "o", "o", "o", "o"}, "line 40: expected 9 commas, found 0 (the line is empty)"}};
    const std::string tp_lines = join(file_lines(39), "\n");
    for (const auto& c : cases) {
        const std::string text = tp_lines + c.line_and_break + std::string(100, 'x');
        for (std::size_t piece : {text.size(), std::size_t{1}}) {
            ImportBuffers buffers;
            buffers.file_auto_rates.fill("o");
            DataFileReader reader("f.csv", buffers);
            EXPECT_EQ(read_in_pieces(reader, text, piece), "f.csv, " + c.message) << c.line_and_break << piece;
            EXPECT_EQ(buffers.file_auto_rates, c.autos) << c.line_and_break << piece;
        }
    }
}

TEST_F(DataFileImport, PathsThatCannotBeReadFailWithTheReason)
{
    import(join(file_lines(3), "\n"));
    const SatelliteTable before = table_;
    const auto missing = (folder_ / "missing.csv").string();
    const auto folder = folder_.string();
    const auto under_file = write("plain.csv", "x") + "/data.csv";
    const auto too_long = (folder_ / std::string(300, 'n')).string();
    const struct { std::string path, message; } cases[] = {
        {missing, "Cannot open " + missing + ": no such file; check the name and the folder"},
        {folder, "Cannot open " + folder + ": it is a directory, not a data file"},
        {"/dev/null", "Cannot open /dev/null: it is not a regular file (a device, pipe or socket cannot be imported)"},
        {under_file, "Cannot open " + under_file + ": a part of the path is not a directory"},
        {too_long, "Cannot open " + too_long + ": the path is too long"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(import_path(c.path), c.message);
    EXPECT_EQ(buffers_.file_line_count, 3); // none of these was opened

    // A regular file whose first read fails: the process's own memory at address 0.
    EXPECT_EQ(import_path("/proc/self/mem"),
              "Cannot read /proc/self/mem at line 1: input/output error; the disk or medium may be damaged");
    EXPECT_EQ(buffers_.file_line_count, 0);
    EXPECT_TRUE(table_ == before);
}

TEST_F(DataFileImport, UnreadableFileSaysPermissionDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const auto path = write("locked.csv", "a,b,c,d,e,1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    EXPECT_EQ(import_path(path), "Cannot open " + path + ": permission denied; the file must be readable by your user");
}

} // namespace
} // namespace tervalink
