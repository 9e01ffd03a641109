// CHECK DATA: the rows whose packets clash with the markers.
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "check_data.h"
#include "satellite_table.h"
#include "table_rows.h"

namespace tervalink::test {
namespace {

using Lines = std::vector<std::string>;

// FREQ 10787 is 0x2A23: a "#" in the FREQ low byte. With empty TP fields only the start-up
// position of USER 1 (42 = 0x2A) clashes: its second row's checksum is 8 ^ 1 ^ 0x2A = 0x23.
// Clashing rows are listed in slot order whether ticked or not, empty positions are skipped, and
// an overflow stops the scan keeping the earlier lines.
TEST(CheckData, ListsClashingRowsInSlotOrder)
{
    SatelliteTable table;
    EXPECT_EQ(check_data(table).lines, (Lines{" 8  1"}));
    for (auto [slot, row] : {std::pair{10, 0}, {2, 2}, {3, 1}, {5, 0}})
        fill_row(table, slot, row, "1", "10787");
    table.set_option(3);
    table.set_text(Field::position, 5, "");
    table.set_text(Field::position, 2, " ");
    const CheckDataResult result = check_data(table);
    EXPECT_EQ(result.lines, (Lines{" 2  2", " 3  1", " 8  1", " 10  0"}));
    EXPECT_FALSE(result.failure);

    SatelliteTable overflow;
    for (auto [slot, row, nid] : {std::tuple{0, 1, "1"}, {1, 0, "1"}, {2, 0, "70000"}, {2, 1, "1"}})
        fill_row(overflow, slot, row, nid, "10787");
    const CheckDataResult stopped = check_data(overflow);
    EXPECT_EQ(stopped.lines, (Lines{" 0  1", " 1  0"}));
    EXPECT_EQ(stopped.failure.value_or(""), "NID of ASTRA 1 TP1: 70000 does not fit 0..65535");
}

} // namespace
} // namespace tervalink::test
