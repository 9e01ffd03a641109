#include <vector>

#include <gtest/gtest.h>

#include "satellite_table.h"

namespace tervalink {
namespace {

std::vector<int> ticked_rows(const SatelliteTable& table)
{
    std::vector<int> rows;
    for (int i = 0; i < tp_row_count; ++i)
        if (table.ticked(i))
            rows.push_back(i);
    return rows;
}

std::vector<int> emphasised_rows(const SatelliteTable& table)
{
    std::vector<int> rows;
    for (int i = 0; i < tp_row_count; ++i)
        if (table.caption_emphasis(i))
            rows.push_back(i);
    return rows;
}

// A user's click on a check box: the box flips, then the rule runs.
void user_ticks(SatelliteTable& table, int row)
{
    table.set_ticked(row, true);
    table.tick_changed(row);
}

TEST(SatelliteTableStart, DefaultsAndNothingSelected)
{
    const SatelliteTable table;
    const char* positions[] = {"282", "235", "192", "130", "48",   "3592", "3550",
                               "90",  "42",  "3300", "1160", "950", "48"};
    for (int s = 0; s < slot_count; ++s)
        EXPECT_EQ(table.position(s), positions[s]) << s;
    EXPECT_EQ(table.selected_choice(), no_choice);
    for (int i = 0; i < tp_row_count; ++i) {
        EXPECT_FALSE(table.ticked(i));
        for (Field f : {Field::nid, Field::freq, Field::symb, Field::pol})
            EXPECT_TRUE(table.text(f, i).empty());
    }
    for (int k = 0; k < auto_rate_count; ++k)
        EXPECT_TRUE(table.auto_rate(k).empty());
    for (int k = 0; k < choice_count; ++k)
        EXPECT_FALSE(table.option_emphasis(k) || table.frame_emphasis(k));
    EXPECT_EQ(choice_name(12), "ASTRA 4S");
    EXPECT_EQ(choice_name(13), "AUTO SYMBOL");
}

TEST(SatelliteTableLimits, AssignmentsKeepTheFirstCharacters)
{
    SatelliteTable table;
    const struct {
        Field field;
        const char* in;
        const char* kept;
    } cases[] = {
        {Field::freq, "123456", "12345"}, {Field::pol, "HV", "H"},  {Field::position, "12345", "1234"},
        {Field::nid, "", ""},             {Field::symb, " 1 2 3", " 1 2 "},
        {Field::auto_rate, "270000", "27000"},
        {Field::nid, "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"},
    };
    for (const auto& c : cases) {
        table.set_text(c.field, 0, c.in);
        EXPECT_EQ(table.text(c.field, 0), c.kept) << c.in;
    }
}

TEST(Selection, TicksOnlyOnTheSelectedSlot)
{
    SatelliteTable table;
    table.set_option(3);
    user_ticks(table, 16);
    user_ticks(table, 17);
    EXPECT_EQ(ticked_rows(table), (std::vector<int>{16}));
    EXPECT_EQ(table.selected_choice(), 3);
}

TEST(Selection, NothingSelectedUndoesEveryTick)
{
    SatelliteTable table;
    user_ticks(table, 0);
    EXPECT_TRUE(ticked_rows(table).empty());
}

TEST(Selection, AutoSymbolAllowsNoTickAndEmphasisesNoRow)
{
    SatelliteTable table;
    table.set_option(auto_symbol_choice);
    for (int i = 0; i < tp_row_count; ++i)
        user_ticks(table, i);
    EXPECT_TRUE(ticked_rows(table).empty());
    EXPECT_TRUE(emphasised_rows(table).empty());
    EXPECT_TRUE(table.frame_emphasis(auto_symbol_choice));
    EXPECT_TRUE(table.option_emphasis(auto_symbol_choice));
}

TEST(Selection, NewChoiceClearsTicksAndMovesEmphasis)
{
    SatelliteTable table;
    table.set_option(3);
    user_ticks(table, 3);
    user_ticks(table, 29);
    table.set_option(5);
    EXPECT_TRUE(ticked_rows(table).empty());
    EXPECT_EQ(emphasised_rows(table), (std::vector<int>{5, 18, 31}));
    EXPECT_FALSE(table.option_set(3));
    EXPECT_FALSE(table.option_emphasis(3));
    EXPECT_FALSE(table.frame_emphasis(3));
    EXPECT_TRUE(table.option_emphasis(5) && table.frame_emphasis(5));
}

TEST(Selection, SelectingTheSameChoiceAgainClearsItsTicks)
{
    SatelliteTable table;
    table.set_option(2);
    user_ticks(table, 15);
    table.set_option(2);
    EXPECT_TRUE(ticked_rows(table).empty());
}

TEST(Selection, ClearSelectionKeepsTicksTextsAndFrameEmphasis)
{
    SatelliteTable table;
    table.set_option(3);
    user_ticks(table, 3);
    user_ticks(table, 29);
    table.clear_selection();
    EXPECT_EQ(table.selected_choice(), no_choice);
    EXPECT_EQ(ticked_rows(table), (std::vector<int>{3, 29}));
    EXPECT_TRUE(emphasised_rows(table).empty());
    EXPECT_FALSE(table.option_emphasis(3));
    EXPECT_TRUE(table.frame_emphasis(3));
    table.set_option(7);
    EXPECT_TRUE(ticked_rows(table).empty());
}

TEST(Selection, UntickingIsAlwaysAccepted)
{
    SatelliteTable table;
    table.set_option(3);
    user_ticks(table, 3);
    table.clear_selection();
    table.set_ticked(3, false);
    table.tick_changed(3);
    EXPECT_TRUE(ticked_rows(table).empty());
}

TEST(Selection, SelectedChoiceIsTheHighestSetOption)
{
    SatelliteTable table;
    table.set_option(9);
    table.clear_option(9);
    EXPECT_EQ(table.selected_choice(), no_choice);
    table.set_option(13);
    EXPECT_EQ(table.selected_choice(), 13);
}

} // namespace
} // namespace tervalink
