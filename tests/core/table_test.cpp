// The satellite table and the rules on its texts: numbers, the TP entry tests, CHECK DATA.
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "check_data.h"
#include "numbers.h"
#include "satellite_table.h"
#include "tp_validation.h"

namespace tervalink {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
using Rows = std::vector<int>;
using Lines = std::vector<std::string>;

TEST(Numbers, ValueReadsTheLeadingNumberTextIsOnlyAWholeDecimalNumberAndHalvesGoToTheEvenNeighbour)
{
    const struct { const char* text; double value; } values[] = {
        {"11778", 11778}, {"11778 MHz", 11778}, {"1 1778", 11778}, {"", 0}, {"abc", 0}, {"12.5", 12.5}, {"1,000", 1}, {" \t\n42\t", 42},
        {"1\r2", 1}, {"-5", -5}, {"+7", 7}, {"-", 0}, {".", 0}, {".5", 0.5}, {"5.", 5}, {"1e3", 1000}, {"1E+3", 1000}, {"25e-1", 2.5},
        {"1e", 1}, {"1e+", 1}, {"1ex", 1}, {"1.2.3", 1.2}, {"3x", 3}, {"&H1F", 31}, {"&hff", 255}, {"&O17", 15}, {"&o8", 0}, {"&H", 0},
        {"&HFFFF", 65535}, {"& H10", 16}, {"0x10", 0}, {"inf", 0}, {"nan", 0}, {"1e-400", 0}, {"1D3", 1}, {"0.1e1", 1},
        {"1e400", inf}, {"-1e400", -inf}, {"0.000001e309", 1e303}, {"00000e999", 0}};
    for (const auto& c : values)
        EXPECT_EQ(numeric_value(c.text), c.value) << '"' << c.text << '"';
    const struct { const char* text; bool numeric; } texts[] = {
        {"12", true}, {" 12 ", true}, {"-0", true}, {"+3.5", true}, {".5", true}, {"5.", true}, {"1e3", true}, {"1E-3", true},
        {"1e-400", true}, {"", false}, {"   ", false}, {"12a", false}, {"1.2.3", false}, {"-", false}, {".", false}, {"1 2", false},
        {"1e400", false}, {"1e", false}, {"e3", false}, {"0x10", false}, {"inf", false}, {"nan", false}, {"&H10", false},
        {"\t12", false}, {"12-", false}, {"(12)", false}, {"1,000", false}, {"+-1", false}};
    for (const auto& c : texts)
        EXPECT_EQ(is_numeric_text(c.text), c.numeric) << '"' << c.text << '"';
    const struct { double in, out; } roundings[] = {{12.5, 12}, {13.5, 14}, {0.5, 0}, {-0.4, 0}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {2.4999, 2}, {2.5001, 3}, {65535.5, 65536}, {65534.5, 65534}, {1e300, 1e300}, {inf, inf}};
    for (const auto& c : roundings)
        EXPECT_EQ(round_half_even(c.in), c.out) << c.in;
}

void fill_row(SatelliteTable& table, int slot, int row, const char* nid = "1", const char* freq = "11200")
{
    for (auto [field, text] : {std::pair{Field::nid, nid}, {Field::freq, freq}, {Field::symb, "27500"}, {Field::pol, "V"}})
        table.set_text(field, row_index(slot, row), text);
}

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

TEST(SatelliteTable, StartsWithNamesAndPositionsAndAssignmentsKeepTheFirstCharacters)
{
    SatelliteTable table;
    const char* names[] = {"ASTRA 2", "ASTRA 3", "ASTRA 1", "HOTBIRD", "ASTRA 4N", "THOR", "AB3", "EUTELSAT 9A",
                           "USER 1", "USER 2", "USER 3", "USER 4", "ASTRA 4S", "AUTO SYMBOL"};
    const char* positions[] = {"282", "235", "192", "130", "48", "3592", "3550", "90", "42", "3300", "1160", "950", "48"};
    for (int k = 0; k < choice_count; ++k)
        EXPECT_EQ(choice_name(k), names[k]);
    for (int s = 0; s < slot_count; ++s)
        EXPECT_EQ(table.position(s), positions[s]) << s;
    const struct { Field field; const char *in, *kept; } cases[] = {
        {Field::freq, "123456", "12345"}, {Field::pol, "HV", "H"}, {Field::position, "12345", "1234"},
        {Field::symb, " 1 2 3", " 1 2 "}, {Field::auto_rate, "270000", "27000"},
        {Field::nid, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"}};
    for (const auto& c : cases) {
        table.set_text(c.field, 0, c.in);
        EXPECT_EQ(table.text(c.field, 0), c.kept) << c.in;
    }
}

// A user's click on a check box: the box flips, then the rule runs.
void user_ticks(SatelliteTable& table, int row, bool on = true)
{
    table.set_ticked(row, on);
    table.tick_changed(row);
}

// The ticked rows and the rows whose caption is emphasised, then the selected choice.
Rows state(const SatelliteTable& table)
{
    Rows out;
    for (int i = 0; i < tp_row_count; ++i)
        if (table.ticked(i))
            out.push_back(i);
    out.push_back(-1);
    for (int i = 0; i < tp_row_count; ++i)
        if (table.caption_emphasis(i))
            out.push_back(i);
    out.push_back(table.selected_choice());
    return out;
}

// Ticks stay only on the selected slot, a new choice clears them, clearing the selection keeps
// them.
TEST(SatelliteTable, TicksFollowTheSelectedChoice)
{
    SatelliteTable table;
    EXPECT_EQ(state(table), (Rows{-1, no_choice}));
    user_ticks(table, 0); // nothing selected: undone
    EXPECT_EQ(state(table), (Rows{-1, no_choice}));
    table.set_option(3);
    for (int i : {16, 17, 29})
        user_ticks(table, i);
    EXPECT_EQ(state(table), (Rows{16, 29, -1, 3, 16, 29, 3}));
    table.set_option(5);
    EXPECT_EQ(state(table), (Rows{-1, 5, 18, 31, 5}));
    EXPECT_FALSE(table.option_set(3) || table.option_emphasis(3) || table.frame_emphasis(3));
    EXPECT_TRUE(table.option_emphasis(5) && table.frame_emphasis(5));
    user_ticks(table, 18);
    table.set_option(5); // the same choice again
    EXPECT_EQ(state(table), (Rows{-1, 5, 18, 31, 5}));
    table.set_option(auto_symbol_choice);
    for (int i = 0; i < tp_row_count; ++i)
        user_ticks(table, i);
    EXPECT_EQ(state(table), (Rows{-1, auto_symbol_choice}));
    EXPECT_TRUE(table.frame_emphasis(auto_symbol_choice) && table.option_emphasis(auto_symbol_choice));

    table.set_option(3);
    user_ticks(table, 3);
    user_ticks(table, 29);
    table.clear_selection();
    EXPECT_EQ(state(table), (Rows{3, 29, -1, no_choice}));
    EXPECT_FALSE(table.option_emphasis(3));
    EXPECT_TRUE(table.frame_emphasis(3));
    user_ticks(table, 3, false); // unticking is always accepted
    EXPECT_EQ(state(table), (Rows{29, -1, no_choice}));
    table.set_option(9);
    table.clear_option(9); // runs no rule: the captions stay emphasised
    EXPECT_EQ(state(table), (Rows{-1, 9, 22, 35, no_choice}));
}

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
} // namespace tervalink
