// The satellite table: names, positions, length limits and the selection rules.
#include <vector>

#include <gtest/gtest.h>

#include "satellite_table.h"

namespace tervalink {
namespace {

using Rows = std::vector<int>;

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
    table.tick(0, true); // nothing selected: undone
    EXPECT_EQ(state(table), (Rows{-1, no_choice}));
    table.set_option(3);
    for (int i : {16, 17, 29})
        table.tick(i, true);
    EXPECT_EQ(state(table), (Rows{16, 29, -1, 3, 16, 29, 3}));
    table.set_option(5);
    EXPECT_EQ(state(table), (Rows{-1, 5, 18, 31, 5}));
    EXPECT_FALSE(table.option_set(3) || table.option_emphasis(3) || table.frame_emphasis(3));
    EXPECT_TRUE(table.option_emphasis(5) && table.frame_emphasis(5));
    table.tick(18, true);
    table.set_option(5); // the same choice again
    EXPECT_EQ(state(table), (Rows{-1, 5, 18, 31, 5}));
    table.set_option(auto_symbol_choice);
    for (int i = 0; i < tp_row_count; ++i)
        table.tick(i, true);
    EXPECT_EQ(state(table), (Rows{-1, auto_symbol_choice}));
    EXPECT_TRUE(table.frame_emphasis(auto_symbol_choice) && table.option_emphasis(auto_symbol_choice));

    table.set_option(3);
    table.tick(3, true);
    table.tick(29, true);
    table.clear_selection();
    EXPECT_EQ(state(table), (Rows{3, 29, -1, no_choice}));
    EXPECT_FALSE(table.option_emphasis(3));
    EXPECT_TRUE(table.frame_emphasis(3));
    table.tick(3, false); // unticking is always accepted
    EXPECT_EQ(state(table), (Rows{29, -1, no_choice}));
}

// An index outside its field is a programming fault: the program ends, naming it, before any
// read or write.
TEST(SatelliteTableDeathTest, AnIndexOutsideItsFieldEndsTheProgram)
{
    SatelliteTable table;
    EXPECT_DEATH_IF_SUPPORTED(table.set_text(Field::nid, 39, "1"), "TP row index 39 is outside 0\\.\\.38");
    EXPECT_DEATH_IF_SUPPORTED(table.auto_rate(-1), "auto symbol rate index -1 is outside 0\\.\\.9");
    EXPECT_DEATH_IF_SUPPORTED(choice_name(14), "choice index 14 is outside 0\\.\\.13");
}

} // namespace
} // namespace tervalink
