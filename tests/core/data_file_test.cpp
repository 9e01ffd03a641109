#include <array>
#include <cstdlib>
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

// Line n (1..39) of a generated file: values that tell the line apart in every field.
std::string tp_line(int n, int flag)
{
    const int slot = (n - 1) % slot_count;
    return "S" + std::to_string(slot) + "," + std::to_string(100 + n) + "," + std::to_string(n) +
        "," + std::to_string(11000 + n) + "," + std::to_string(27000 + n) + "," +
        std::to_string(flag);
}

std::string auto_line(int base)
{
    std::string line;
    for (int k = 0; k < auto_rate_count; ++k)
        line += (k ? "," : "") + std::to_string(base + k);
    return line;
}

// Lines 1..count of the generated file; odd lines horizontal, even ones vertical. Line 40 and
// later are auto lines starting at 20000, 21000, ...
std::vector<std::string> file_lines(int count)
{
    std::vector<std::string> lines;
    for (int n = 1; n <= count; ++n)
        lines.push_back(n <= tp_line_count ? tp_line(n, n % 2)
                                           : auto_line(20000 + 1000 * (n - 40)));
    return lines;
}

std::string join(const std::vector<std::string>& lines, const std::string& line_break)
{
    std::string text;
    for (const auto& line : lines)
        text += line + line_break;
    return text;
}

// Feeds the text in pieces of the given size, then finishes; returns the failure's description,
// or nothing when the read succeeds.
std::string read_in_pieces(DataFileReader& reader, std::string_view text, std::size_t piece)
{
    try {
        for (std::size_t at = 0; at < text.size(); at += piece)
            reader.feed(text.substr(at, piece));
        reader.finish();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return {};
}

class DataFileImport : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tervalink-import-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string write(const std::string& name, const std::string& bytes)
    {
        const auto path = (folder_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    void import(const std::string& bytes)
    {
        import_data_file(write("data.csv", bytes), buffers_, table_);
    }

    // Imports and returns the failure's description; fails the test when the import succeeds.
    std::string import_failure(const std::string& path)
    {
        try {
            import_data_file(path, buffers_, table_);
        } catch (const Failure& failure) {
            return failure.what();
        }
        ADD_FAILURE() << "import of " << path << " succeeded";
        return {};
    }

    // Earlier buffers whose every field reads "old", so that what a read overwrites shows.
    void import_old_file()
    {
        std::vector<std::string> old(40, "old,old,old,old,old,1");
        old[39] = "old,old,old,old,old,old,old,old,old,old";
        import(join(old, "\n"));
    }

    // NID, FREQ, SYMB and POL of TP row index i.
    Texts row_texts(int i) const
    {
        return {table_.nid(i), table_.freq(i), table_.symb(i), table_.pol(i)};
    }

    void expect_generated_row(int i)
    {
        const int n = i + 1;
        EXPECT_EQ(row_texts(i), (Texts{std::to_string(n), std::to_string(11000 + n),
                                       std::to_string(27000 + n), n % 2 ? "H" : "V"}))
            << "row " << i;
    }

    void expect_generated_autos(int base)
    {
        for (int k = 0; k < auto_rate_count; ++k)
            EXPECT_EQ(table_.auto_rate(k), std::to_string(base + k)) << "auto " << k;
    }

    Autos table_autos() const
    {
        Autos autos;
        for (int k = 0; k < auto_rate_count; ++k)
            autos[static_cast<std::size_t>(k)] = table_.auto_rate(k);
        return autos;
    }

    fs::path folder_;
    ImportBuffers buffers_;
    SatelliteTable table_;
};

// The format's example file: lines 1, 2, 14 and 40 as given, the other lines generated.
TEST_F(DataFileImport, FortyLinesFillTheWholeTableKeepTheTicksAndClearTheSelection)
{
    table_.set_option(3);
    for (int row : {3, 16}) {
        table_.set_ticked(row, true);
        table_.tick_changed(row);
    }
    std::vector<std::string> lines = file_lines(40);
    lines[0] = "S0,130,1,11200,27500,1";
    lines[1] = "S1,192,2,11300,22000,0";
    lines[13] = "S0,,1,11400,27500,0";
    lines[39] = "22000,27500,30000,1000,2000,3000,4000,5000,6000,7000";
    import(join(lines, "\r\n"));

    EXPECT_EQ(table_.position(0), "130");
    EXPECT_EQ(table_.position(1), "192");
    EXPECT_EQ(row_texts(0), (Texts{"1", "11200", "27500", "H"}));
    EXPECT_EQ(row_texts(1), (Texts{"2", "11300", "22000", "V"}));
    EXPECT_EQ(row_texts(13), (Texts{"1", "11400", "27500", "V"}));
    for (int s = 2; s < slot_count; ++s)
        EXPECT_EQ(table_.position(s), std::to_string(101 + s));
    for (int i = 2; i < tp_row_count; ++i)
        if (i != 13)
            expect_generated_row(i);
    EXPECT_EQ(table_autos(), (Autos{"22000", "27500", "30000", "1000", "2000", "3000", "4000",
                                    "5000", "6000", "7000"}));
    EXPECT_EQ(buffers_.file_line_count, 39);
    // What clear_selection switches off is pinned in the table tests; here that it ran and that
    // the ticks and the frame emphasis stay.
    EXPECT_EQ(table_.selected_choice(), no_choice);
    EXPECT_FALSE(table_.option_emphasis(3));
    EXPECT_FALSE(table_.caption_emphasis(16));
    for (int i = 0; i < tp_row_count; ++i)
        EXPECT_EQ(table_.ticked(i), i == 3 || i == 16) << i;
    EXPECT_TRUE(table_.frame_emphasis(3));
}

TEST_F(DataFileImport, OnlyTheFirstCharacterAfterTheFifthCommaIsTheFlag)
{
    struct Case {
        std::string flag_field;
        std::string stored;
        std::string pol;
    };
    const std::vector<Case> cases = {
        {"1", "1", "H"},   {"0", "0", "V"},   {"H", "H", "V"},
        {" 1", " ", "V"},  {"", "", "V"},     {"10", "1", "H"}, {"1,x", "1", "H"},
        {",1", ",", "V"},  {"\xB9", "\xC2\xB9", "V"},
    };
    for (const auto& c : cases) {
        import("S0,130,1,11200,27500," + c.flag_field + "\n");
        EXPECT_EQ(buffers_.file_tp_records[0][5], c.stored)
            << "flag field '" << c.flag_field << "'";
        EXPECT_EQ(table_.pol(0), c.pol) << "flag field '" << c.flag_field << "'";
    }
}

TEST_F(DataFileImport, PositionsComeOnlyFromTheFirstThirteenLines)
{
    std::vector<std::string> lines = file_lines(39);
    for (int n = 14; n <= 39; ++n)
        lines[static_cast<std::size_t>(n - 1)] = "S,999,1,11200,27500,0";
    import(join(lines, "\n"));

    for (int s = 0; s < slot_count; ++s)
        EXPECT_EQ(table_.position(s), std::to_string(101 + s));
    EXPECT_EQ(buffers_.file_tp_records[13][1], "999");
}

TEST_F(DataFileImport, FieldsAreStoredAsTextsWithinTheTableLimits)
{
    struct Case {
        std::string line; // line 1 of a one-line file
        std::vector<std::string> record;
    };
    const std::vector<Case> cases = {
        {"S0, 130 , 1 , 11200,27500 ,1", {"S0", " 130", " 1 ", " 1120", "27500", "1"}},
        {"S0,123456,1234567,11200000,27500000,0", {"S0", "1234", "12345", "11200", "27500", "0"}},
        {"a very long unused field,,,,,", {"a very l", "", "", "", "", ""}},
        {"S\xE9,19\xB0,\xE9\xE9\xE9\xE9\xE9\xE9,x,y,1",
         {"S\xC3\xA9", "19\xC2\xB0", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "x", "y", "1"}},
    };
    for (const auto& c : cases) {
        import(c.line + "\n");
        for (std::size_t f = 0; f < 6; ++f)
            EXPECT_EQ(buffers_.file_tp_records[0][f], c.record[f]) << c.line << " field " << f + 1;
        EXPECT_EQ((Texts{table_.position(0), table_.nid(0), table_.freq(0), table_.symb(0)}),
                  Texts(c.record.begin() + 1, c.record.begin() + 5))
            << c.line;
    }
}

TEST_F(DataFileImport, TheLastAutoLineSetsTheAutoTableAndItsTenthFieldKeepsCommas)
{
    std::vector<std::string> lines = file_lines(42);
    import(join(lines, "\n"));
    expect_generated_autos(22000);

    lines.push_back("1,2,3,4,5,6,7,8,9,a,b,c");
    lines.push_back(",,,,,,,,,");
    lines.push_back("1,2,3,4,5,6,7,8,9,1,000000");
    import(join(lines, "\n"));
    EXPECT_EQ(table_autos(), (Autos{"1", "2", "3", "4", "5", "6", "7", "8", "9", "1,000"}));
    EXPECT_EQ(buffers_.file_line_count, 39);
}

TEST_F(DataFileImport, TenLinesAsFirstImportLeaveTheRestEmpty)
{
    import(join(file_lines(10), "\n"));

    for (int i = 0; i < 10; ++i)
        expect_generated_row(i);
    for (int i = 10; i < tp_row_count; ++i)
        EXPECT_EQ(row_texts(i), (Texts{"", "", "", "V"})) << i;
    for (int s = 0; s < slot_count; ++s)
        EXPECT_EQ(table_.position(s), s < 10 ? std::to_string(101 + s) : "") << s;
    EXPECT_EQ(table_autos(), Autos{});
    EXPECT_EQ(buffers_.file_line_count, 10);
}

TEST_F(DataFileImport, ShortFileAfterAFullOneBringsBackTheEarlierValues)
{
    import(join(file_lines(40), "\n"));
    table_.set_text(Field::freq, 20, "12000");
    table_.set_text(Field::position, 11, "7");
    table_.set_text(Field::auto_rate, 3, "999");

    import(join(std::vector<std::string>(10, "X,1,2,3,4,0"), "\n"));

    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(table_.freq(i), "3") << i;
    for (int i = 10; i < tp_row_count; ++i)
        expect_generated_row(i);
    EXPECT_EQ(table_.position(9), "1");
    for (int s = 10; s < slot_count; ++s)
        EXPECT_EQ(table_.position(s), std::to_string(101 + s)) << s;
    expect_generated_autos(20000);
}

TEST_F(DataFileImport, EmptyFileCopiesTheBuffersAsTheyStand)
{
    import("");
    for (int s = 0; s < slot_count; ++s)
        EXPECT_EQ(table_.position(s), "") << s;
    EXPECT_EQ(row_texts(0), (Texts{"", "", "", "V"}));

    import(join(file_lines(40), "\n"));
    table_.set_text(Field::nid, 0, "555");
    import("");
    EXPECT_EQ(buffers_.file_line_count, 0);
    expect_generated_row(0);
    expect_generated_autos(20000);
}

// Each case reads over an earlier file whose every field is "old": the table stays as it was, and
// the buffers keep what the failing read stored (earlier lines whole, the failing line up to its
// last comma, later lines untouched).
TEST_F(DataFileImport, LineWithoutItsCommasFailsAndLeavesTheTableAlone)
{
    struct Case {
        std::string name;
        std::string text;
        std::string message; // after "<path>, "
        int line_count;      // TP lines stored whole
        Texts stored;        // the buffer of the failing line: its TP record, or the auto values
    };
    const Texts old_record = {"old", "old", "old", "old", "old", "1"};
    std::vector<std::string> tp_short = file_lines(40);
    tp_short[11] = "N,P,Q,R,S";
    std::vector<std::string> auto_short = file_lines(41);
    auto_short[40] = "a,b,c,d,e,f,g,h,i";
    std::vector<std::string> empty_tp = file_lines(40);
    empty_tp[4] = "";
    const std::vector<Case> cases = {
        {"tp line with four commas", join(tp_short, "\n"), "line 12: expected 5 commas, found 4",
         11, {"N", "P", "Q", "R", "old", "1"}},
        {"auto line with eight commas", join(auto_short, "\r\n"),
         "line 41: expected 9 commas, found 8", 39,
         {"a", "b", "c", "d", "e", "f", "g", "h", "20008", "20009"}},
        {"empty line 41", join(file_lines(40), "\n") + "\n",
         "line 41: expected 9 commas, found 0 (the line is empty)", 39,
         {"20000", "20001", "20002", "20003", "20004", "20005", "20006", "20007", "20008",
          "20009"}},
        {"empty tp line", join(empty_tp, "\r"),
         "line 5: expected 5 commas, found 0 (the line is empty)", 4, old_record},
        {"line without commas", "11200 27500", "line 1: expected 5 commas, found 0", 0,
         old_record},
    };
    for (const auto& c : cases) {
        import_old_file();
        table_.set_option(2);
        const SatelliteTable before = table_;

        const auto path = write("bad.csv", c.text);
        EXPECT_EQ(import_failure(path), path + ", " + c.message) << c.name;
        EXPECT_TRUE(table_ == before) << c.name;
        const auto& records = buffers_.file_tp_records;
        const auto& autos = buffers_.file_auto_rates;
        const int n = c.line_count;
        EXPECT_EQ(buffers_.file_line_count, n) << c.name;
        if (n > 0) {
            EXPECT_EQ(records[static_cast<std::size_t>(n - 1)][2], std::to_string(n)) << c.name;
        }
        if (n == tp_line_count) {
            EXPECT_EQ(Texts(autos.begin(), autos.end()), c.stored) << c.name;
            continue;
        }
        const auto& failing = records[static_cast<std::size_t>(n)];
        EXPECT_EQ(Texts(failing.begin(), failing.end()), c.stored) << c.name;
        EXPECT_EQ(records[static_cast<std::size_t>(n + 1)][2], "old") << c.name;
        EXPECT_EQ(autos[0], "old") << c.name;
    }
}

TEST_F(DataFileImport, EveryLineBreakStyleGivesTheSameTable)
{
    struct Case {
        std::string name;
        std::string text;
        std::string failure; // empty when the import succeeds
    };
    const auto lines = file_lines(41);
    std::string mixed;
    const char* breaks[] = {"\n", "\r", "\r\n"};
    for (std::size_t n = 0; n < lines.size(); ++n)
        mixed += lines[n] + breaks[n % 3];
    const std::vector<Case> cases = {
        {"LF", join(lines, "\n"), ""},
        {"CR", join(lines, "\r"), ""},
        {"CR LF", join(lines, "\r\n"), ""},
        {"mixed", mixed, ""},
        {"no break at the end", join(lines, "\n").substr(0, join(lines, "\n").size() - 1), ""},
        {"LF CR is two breaks", join(lines, "\n\r"),
         "line 2: expected 5 commas, found 0 (the line is empty)"},
        {"CR CR LF is two breaks", join(lines, "\r\r\n"),
         "line 2: expected 5 commas, found 0 (the line is empty)"},
    };
    for (const auto& c : cases) {
        buffers_ = ImportBuffers();
        table_ = SatelliteTable();
        const auto path = write("breaks.csv", c.text);
        if (!c.failure.empty()) {
            EXPECT_EQ(import_failure(path), path + ", " + c.failure) << c.name;
            continue;
        }
        import_data_file(path, buffers_, table_);
        for (int i = 0; i < tp_row_count; ++i)
            expect_generated_row(i);
        expect_generated_autos(21000);
    }
}

// The file is read in pieces; a line, a field or a CR LF pair may be cut anywhere.
TEST(DataFileReader, PiecesOfAnySizeGiveTheSameBuffers)
{
    std::vector<std::string> lines = file_lines(42);
    lines[40] = "1,2,3,4,5,6,7,8,9,1,000000";
    std::string text;
    for (std::size_t n = 0; n < lines.size(); ++n)
        text += lines[n] + (n % 2 ? "\r\n" : "\r");

    ImportBuffers whole;
    DataFileReader whole_reader("whole", whole);
    ASSERT_EQ(read_in_pieces(whole_reader, text, text.size()), "");

    for (std::size_t piece : {1u, 2u, 3u, 7u, 16u, 17u, 33u}) {
        ImportBuffers pieces;
        DataFileReader reader("pieces", pieces);
        for (std::size_t at = 0; at < text.size(); at += piece)
            reader.feed(std::string_view(text).substr(at, piece));
        reader.feed({});
        reader.finish();
        EXPECT_EQ(pieces.file_tp_records, whole.file_tp_records) << piece;
        EXPECT_EQ(pieces.file_auto_rates, whole.file_auto_rates) << piece;
        EXPECT_EQ(reader.line_number(), whole_reader.line_number()) << piece;
    }
    EXPECT_EQ(whole.file_auto_rates[9], "22009");
}

// Short complete auto lines take a faster way through the reader than lines cut by the end of a
// piece. Each case line is followed by a long line without commas, which stops the read without
// storing anything, so the buffers show what the case line stored.
TEST(DataFileReader, AutoLinesReadAlikeWholeAndInPieces)
{
    struct Case {
        std::string line_and_break;
        Autos autos;
        std::string message; // after "f.csv, "
    };
    const std::string stop_line(100, 'x');
    const std::string expected_stop = "line 41: expected 9 commas, found 0";
    const std::string e5 = "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9";
    const Autos one_to_ten = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
    const std::vector<Case> cases = {
        {"1,2,3,4,5,6,7,8,9,10\n", one_to_ten, expected_stop},
        {"1,2,3,4,5,6,7,8,9,10\r\n", one_to_ten, expected_stop},
        {"1,2,3,4,5,6,7,8,9,10\r", one_to_ten, expected_stop},
        {",,,,,,,,,\n", {"", "", "", "", "", "", "", "", "", ""}, expected_stop},
        {"1,2,3,4,5,6,7,8,9,1,0,5\n", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "1,0,5"},
         expected_stop},
        {"123456,2,3,4,5,6,7,8, 9 ,1234567\n",
         {"12345", "2", "3", "4", "5", "6", "7", "8", " 9 ", "12345"}, expected_stop},
        {"\xE9\xE9\xE9\xE9\xE9\xE9,2,3,4,5,6,7,8,9,\xE9\n",
         {e5, "2", "3", "4", "5", "6", "7", "8", "9", "\xC3\xA9"}, expected_stop},
        // 63, 64 and 65 bytes before the line break: around the 64-byte window.
        {"1,2,3,4,5,6,7,8,9," + std::string(45, 'a') + "\n",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "aaaaa"}, expected_stop},
        {"1,2,3,4,5,6,7,8,9," + std::string(46, 'b') + "\r\n",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "bbbbb"}, expected_stop},
        {"1,2,3,4,5,6,7,8,9," + std::string(47, 'c') + "\n",
         {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ccccc"}, expected_stop},
        {"1,2,3,4,5,6,7,8,9\n", {"1", "2", "3", "4", "5", "6", "7", "8", "o", "o"},
         "line 40: expected 9 commas, found 8"},
        {"\n", {"o", "o", "o", "o", "o", "o", "o", "o", "o", "o"},
         "line 40: expected 9 commas, found 0 (the line is empty)"},
    };
    const std::string tp_lines = join(file_lines(39), "\n");
    for (const auto& c : cases) {
        const std::string text = tp_lines + c.line_and_break + stop_line;
        for (std::size_t piece : {text.size(), std::size_t{1}}) {
            ImportBuffers buffers;
            buffers.file_auto_rates.fill("o");
            DataFileReader reader("f.csv", buffers);
            const std::string what = c.line_and_break + " piece " + std::to_string(piece);
            EXPECT_EQ(read_in_pieces(reader, text, piece), "f.csv, " + c.message) << what;
            EXPECT_EQ(buffers.file_auto_rates, c.autos) << what;
        }
    }
}

TEST(DataFileReader, LineNumbersGoBeyondSixteenBits)
{
    std::string text = join(file_lines(40), "\n");
    for (int n = 41; n <= 70000; ++n)
        text += auto_line(n % 30000) + "\n";
    text += "1,2,3\n";
    ImportBuffers buffers;
    DataFileReader reader("big.csv", buffers);
    EXPECT_EQ(read_in_pieces(reader, text, text.size()),
              "big.csv, line 70001: expected 9 commas, found 2");
    EXPECT_EQ(buffers.file_auto_rates[1], "2");
    EXPECT_EQ(buffers.file_auto_rates[3], std::to_string(70000 % 30000 + 3));
}

TEST_F(DataFileImport, OneHugeLineFailsWithItsMessage)
{
    const auto path = write("huge.csv", std::string(8 << 20, 'x'));
    EXPECT_EQ(import_failure(path), path + ", line 1: expected 5 commas, found 0");
    EXPECT_EQ(buffers_.file_tp_records[0][0], "");
}

TEST_F(DataFileImport, PathsThatCannotBeReadFailWithTheReason)
{
    import(join(file_lines(3), "\n"));
    const SatelliteTable before = table_;

    const auto missing = (folder_ / "missing.csv").string();
    EXPECT_EQ(import_failure(missing),
              "Cannot open " + missing + ": no such file; check the name and the folder");
    const auto folder = folder_.string();
    EXPECT_EQ(import_failure(folder),
              "Cannot open " + folder + ": it is a directory, not a data file");
    EXPECT_EQ(import_failure("/dev/null"),
              "Cannot open /dev/null: it is not a regular file (a device, pipe or socket cannot be "
              "imported)");
    const auto under_file = write("plain.csv", "x") + "/data.csv";
    EXPECT_EQ(import_failure(under_file),
              "Cannot open " + under_file + ": a part of the path is not a directory");

    EXPECT_EQ(buffers_.file_line_count, 3); // none of these was opened

    // A regular file whose first read fails: the process's own memory at address 0.
    EXPECT_EQ(import_failure("/proc/self/mem"),
              "Cannot read /proc/self/mem at line 1: input/output error; the disk or medium may "
              "be damaged");
    EXPECT_EQ(buffers_.file_line_count, 0);

    EXPECT_TRUE(table_ == before);
}

TEST_F(DataFileImport, UnreadableFileSaysPermissionDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const auto path = write("locked.csv", "a,b,c,d,e,1\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    EXPECT_EQ(import_failure(path),
              "Cannot open " + path +
                  ": permission denied; the file must be readable by your user");
}

} // namespace
} // namespace tervalink
