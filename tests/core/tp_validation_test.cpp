#include <string>

#include <gtest/gtest.h>

#include "satellite_table.h"
#include "tp_validation.h"

namespace tervalink {
namespace {

struct CheckCase {
    std::string nid, freq, symb, pol, position;
    int code;
};

class CheckTpFields : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckTpFields, GivesTheLargestFailingCode)
{
    const CheckCase& c = GetParam();
    EXPECT_EQ(check_tp_fields(c.nid, c.freq, c.symb, c.pol, c.position), c.code)
        << c.nid << '|' << c.freq << '|' << c.symb << '|' << c.pol << '|' << c.position;
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, CheckTpFields,
    testing::Values(
        CheckCase{"1", "11200", "27500", "V", "130", 0},
        CheckCase{"1", "10700", "27500", "V", "130", 0},
        CheckCase{"1", "12750", "27500", "V", "130", 0},
        CheckCase{"1", "10699.9", "27500", "V", "130", 6},
        CheckCase{"1", "12750.5", "27500", "V", "130", 6},
        CheckCase{"1", "11000.5", "27500", "V", "130", 0},
        CheckCase{"1", "11200", "27500", "V", "0", 0},
        CheckCase{"1", "11200", "27500", "V", "3599", 0},
        CheckCase{"1", "11200", "27500", "V", "3600", 4},
        CheckCase{"1", "11200", "27500", "V", "-1", 4},
        CheckCase{"1", "11200", "27500", "V", "abc", 0},
        CheckCase{"1", "11200", "27500", "V", "", 0},
        CheckCase{"0", "11200", "27500", "V", "130", 0},
        CheckCase{"-0", "11200", "27500", "V", "130", 0},
        CheckCase{"-5", "11200", "27500", "V", "130", 5},
        CheckCase{"abc", "11200", "27500", "V", "130", 2},
        CheckCase{"1", "11200", "-1", "V", "130", 7},
        CheckCase{"1", "11200", "0", "V", "130", 0},
        CheckCase{"1", "11200", "40000", "V", "130", 0},
        CheckCase{"1", "11200", "27500", "h", "130", 0},
        CheckCase{"1", "11200", "27500", "H", "130", 0},
        CheckCase{"1", "11200", "27500", "v", "130", 0},
        CheckCase{"1", "11200", "27500", "x", "130", 3},
        CheckCase{"1", "11200", "27500", "", "130", 3},
        CheckCase{"1", "11200", "27500", " H", "130", 3},
        CheckCase{"", "", "", "", "130", 6},
        CheckCase{"", "11200", "27500", "V", "130", 2},
        CheckCase{"1", "9000", "27500", "X", "130", 6},
        CheckCase{"1", "11200", "-1", "V", "4000", 7},
        CheckCase{" 12 ", "11200", "27500", "V", "130", 0},
        CheckCase{"1e3", "11200", "27500", "V", "130", 0},
        CheckCase{"1e400", "11200", "27500", "V", "130", 2},
        CheckCase{"1", "1e400", "27500", "V", "130", 6},
        CheckCase{"1", "11200", "-1e400", "V", "130", 7}));

TEST(CheckTpFieldsInTable, RowIsCheckedAgainstItsOwnSlotPosition)
{
    SatelliteTable table;
    for (int i : {31, 13}) {
        table.set_text(Field::nid, i, "1");
        table.set_text(Field::freq, i, "11200");
        table.set_text(Field::symb, i, "27500");
        table.set_text(Field::pol, i, "V");
    }
    table.set_text(Field::position, 5, "3600");
    EXPECT_EQ(check_tp_fields(table, 31), 4);
    EXPECT_EQ(check_tp_fields(table, 13), 0);
    table.set_text(Field::position, 0, "-2");
    EXPECT_EQ(check_tp_fields(table, 13), 4);
}

} // namespace
} // namespace tervalink
