#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "data_file.h"
#include "data_file_lines.h"
#include "result_failure.h"
#include "satellite_table.h"

namespace tervalink::test {
namespace {

// Position, NID, FREQ, SYMB and POL of TP row index i.
Texts row(const SatelliteTable& table, int i)
{
    return {i < slot_count ? table.position(i) : "-", table.nid(i), table.freq(i), table.symb(i), table.pol(i)};
}

// The format's example lines 1, 2, 14 and 42 in a generated file; the last auto line wins.
TEST(DataFileImport, WholeFileFillsTheTableKeepsTheTicksAndClearsTheSelection)
{
    ImportBuffers buffers;
    SatelliteTable table;
    table.set_option(3);
    for (int i : {3, 16})
        table.tick(i, true);
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

} // namespace
} // namespace tervalink::test
