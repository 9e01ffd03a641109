// The TP entry tests.

#include <gtest/gtest.h>

#include "satellite_table.h"
#include "table_rows.h"
#include "tp_validation.h"

namespace tervalink::test {
namespace {

// NID, FREQ, SYMB, POL, position -> the largest failing code (0: all good). A table row is
// checked against its own slot's position.
TEST(TpValidation, GivesTheLargestFailingCode)
{
    const struct { const char *nid, *freq, *symb, *pol, *position; int code; } cases[] = {
        {"1", "11200", "27500", "V", "130", 0}, {"1", "10700", "27500", "V", "130", 0}, {"1", "12750", "27500", "V", "130", 0},
        {"1", "10699.9", "27500", "V", "130", 6}, {"1", "12750.5", "27500", "V", "130", 6}, {"1", "11000.5", "27500", "V", "130", 0},
        {"1", "11200", "27500", "V", "0", 0}, {"1", "11200", "27500", "V", "3599", 0}, {"1", "11200", "27500", "V", "3600", 4},
        {"1", "11200", "27500", "V", "-1", 4}, {"1", "11200", "27500", "V", "abc", 0}, {"1", "11200", "27500", "V", "", 0},
        {"-0", "11200", "27500", "V", "130", 0}, {"-5", "11200", "27500", "V", "130", 5}, {"abc", "11200", "27500", "V", "130", 2},
        {"", "11200", "27500", "V", "130", 2}, {"1", "11200", "-1", "V", "130", 7}, {"1", "11200", "0", "V", "130", 0},
        {"1", "11200", "40000", "V", "130", 0}, {"1", "11200", "27500", "h", "130", 0}, {"1", "11200", "27500", "H", "130", 0},
        {"1", "11200", "27500", "v", "130", 0}, {"1", "11200", "27500", "x", "130", 3}, {"1", "11200", "27500", "", "130", 3},
        {"1", "11200", "27500", " H", "130", 3}, {"", "", "", "", "130", 6}, {"1", "9000", "27500", "X", "130", 6},
        {"1", "11200", "-1", "V", "4000", 7}, {" 12 ", "11200", "27500", "V", "130", 0}, {"1e3", "11200", "27500", "V", "130", 0},
        {"1e400", "11200", "27500", "V", "130", 2}, {"1", "1e400", "27500", "V", "130", 6}, {"1", "11200", "-1e400", "V", "130", 7}};
    for (const auto& c : cases)
        EXPECT_EQ(check_tp_fields(c.nid, c.freq, c.symb, c.pol, c.position), c.code)
            << c.nid << '|' << c.freq << '|' << c.symb << '|' << c.pol << '|' << c.position;

    SatelliteTable table;
    fill_row(table, 5, 2);
    fill_row(table, 0, 1);
    table.set_text(Field::position, 5, "3600");
    EXPECT_EQ(check_tp_fields(table, 31), 4);
    EXPECT_EQ(check_tp_fields(table, 13), 0);
    table.set_text(Field::position, 0, "-2");
    EXPECT_EQ(check_tp_fields(table, 13), 4);
}

} // namespace
} // namespace tervalink::test
