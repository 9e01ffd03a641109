#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "check_data.h"
#include "satellite_table.h"

namespace tervalink {
namespace {

using Lines = std::vector<std::string>;

// FREQ 10787 is 0x2A23: a "#" in the FREQ low byte.
void make_row_clash(SatelliteTable& table, int slot, int row, const char* nid = "1")
{
    const int i = row_index(slot, row);
    for (auto [field, text] : {std::pair{Field::nid, nid}, {Field::freq, "10787"},
                               {Field::symb, "27500"}, {Field::pol, "V"}})
        table.set_text(field, i, text);
}

// With empty TP fields only the start-up position of USER 1 (42 = 0x2A) can clash: its second
// row's checksum is 8 ^ 1 ^ 0x2A = 0x23.
TEST(CheckData, ListsClashingRowsInSlotOrderWhetherTickedOrNot)
{
    SatelliteTable table;
    EXPECT_EQ(check_data(table).lines, (Lines{" 8  1"}));
    make_row_clash(table, 10, 0);
    make_row_clash(table, 2, 2);
    make_row_clash(table, 3, 1);
    table.set_option(3);
    const CheckDataResult result = check_data(table);
    EXPECT_EQ(result.lines, (Lines{" 2  2", " 3  1", " 8  1", " 10  0"}));
    EXPECT_FALSE(result.failure);
}

TEST(CheckData, EmptyPositionSkipsTheSlotButABlankDoesNot)
{
    SatelliteTable table;
    make_row_clash(table, 3, 1);
    table.set_text(Field::position, 8, "44");
    table.set_text(Field::position, 3, "");
    EXPECT_EQ(check_data(table).lines, Lines{});
    table.set_text(Field::position, 3, " ");
    EXPECT_EQ(check_data(table).lines, (Lines{" 3  1"}));
}

TEST(CheckData, OverflowStopsTheScanAndKeepsEarlierLines)
{
    SatelliteTable table;
    make_row_clash(table, 0, 1);
    make_row_clash(table, 1, 0);
    make_row_clash(table, 2, 0, "70000");
    make_row_clash(table, 2, 1);
    const CheckDataResult result = check_data(table);
    EXPECT_EQ(result.lines, (Lines{" 0  1", " 1  0"}));
    EXPECT_EQ(result.failure.value_or(""), "NID of ASTRA 1 TP1: 70000 does not fit 0..65535");
}

} // namespace
} // namespace tervalink
