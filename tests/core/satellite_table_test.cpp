#include <vector>

#include <gtest/gtest.h>

#include "satellite_table.h"

namespace tervalink {
namespace {

using Rows = std::vector<int>;

// The rows whose check box is ticked (ticks) or whose caption is emphasised.
Rows rows(const SatelliteTable& table, bool ticks)
{
    Rows out;
    for (int i = 0; i < tp_row_count; ++i)
        if (ticks ? table.ticked(i) : table.caption_emphasis(i))
            out.push_back(i);
    return out;
}

// A user's click on a check box: the box flips, then the rule runs.
void user_ticks(SatelliteTable& table, int row, bool on = true)
{
    table.set_ticked(row, on);
    table.tick_changed(row);
}

TEST(SatelliteTable, StartsWithNamesPositionsAndNothingSelected)
{
    const SatelliteTable table;
    const char* names[] = {"ASTRA 2", "ASTRA 3", "ASTRA 1", "HOTBIRD", "ASTRA 4N", "THOR", "AB3",
                           "EUTELSAT 9A", "USER 1", "USER 2", "USER 3", "USER 4", "ASTRA 4S",
                           "AUTO SYMBOL"};
    const char* positions[] = {"282", "235", "192", "130", "48", "3592", "3550", "90", "42",
                               "3300", "1160", "950", "48"};
    for (int k = 0; k < choice_count; ++k)
        EXPECT_EQ(choice_name(k), names[k]);
    for (int s = 0; s < slot_count; ++s)
        EXPECT_EQ(table.position(s), positions[s]) << s;
    EXPECT_EQ(table.selected_choice(), no_choice);
    EXPECT_EQ(rows(table, true), Rows{});
    EXPECT_EQ(rows(table, false), Rows{});
}

TEST(SatelliteTable, AssignmentsKeepTheFirstCharacters)
{
    SatelliteTable table;
    const struct { Field field; const char *in, *kept; } cases[] = {
        {Field::freq, "123456", "12345"}, {Field::pol, "HV", "H"}, {Field::position, "12345", "1234"},
        {Field::symb, " 1 2 3", " 1 2 "}, {Field::auto_rate, "270000", "27000"},
        {Field::nid, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"}};
    for (const auto& c : cases) {
        table.set_text(c.field, 0, c.in);
        EXPECT_EQ(table.text(c.field, 0), c.kept) << c.in;
    }
}

TEST(SatelliteTable, TicksStayOnlyOnTheSelectedSlotAndANewChoiceClearsThem)
{
    SatelliteTable table;
    user_ticks(table, 0); // nothing selected: undone
    EXPECT_EQ(rows(table, true), Rows{});
    table.set_option(3);
    for (int i : {16, 17, 29})
        user_ticks(table, i);
    EXPECT_EQ(rows(table, true), (Rows{16, 29}));
    EXPECT_EQ(rows(table, false), (Rows{3, 16, 29}));
    EXPECT_EQ(table.selected_choice(), 3);
    table.set_option(5);
    EXPECT_EQ(rows(table, true), Rows{});
    EXPECT_EQ(rows(table, false), (Rows{5, 18, 31}));
    EXPECT_FALSE(table.option_set(3) || table.option_emphasis(3) || table.frame_emphasis(3));
    EXPECT_TRUE(table.option_emphasis(5) && table.frame_emphasis(5));
    user_ticks(table, 18);
    table.set_option(5); // the same choice again
    EXPECT_EQ(rows(table, true), Rows{});

    table.set_option(auto_symbol_choice);
    for (int i = 0; i < tp_row_count; ++i)
        user_ticks(table, i);
    EXPECT_EQ(rows(table, true), Rows{});
    EXPECT_EQ(rows(table, false), Rows{});
    EXPECT_TRUE(table.frame_emphasis(auto_symbol_choice) && table.option_emphasis(auto_symbol_choice));
    EXPECT_EQ(table.selected_choice(), auto_symbol_choice);
}

TEST(SatelliteTable, ClearSelectionKeepsTicksAndFrameEmphasis)
{
    SatelliteTable table;
    table.set_option(3);
    user_ticks(table, 3);
    user_ticks(table, 29);
    table.clear_selection();
    EXPECT_EQ(table.selected_choice(), no_choice);
    EXPECT_EQ(rows(table, true), (Rows{3, 29}));
    EXPECT_EQ(rows(table, false), Rows{});
    EXPECT_FALSE(table.option_emphasis(3));
    EXPECT_TRUE(table.frame_emphasis(3));
    user_ticks(table, 3, false); // unticking is always accepted
    EXPECT_EQ(rows(table, true), Rows{29});
    table.set_option(9);
    table.clear_option(9);
    EXPECT_EQ(rows(table, true), Rows{});
    EXPECT_EQ(table.selected_choice(), no_choice);
}

} // namespace
} // namespace tervalink
