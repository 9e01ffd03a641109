// The entry tests and the clash test that come before an update sends anything.
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "frame_decoder.h"
#include "satellite_table.h"
#include "table_rows.h"
#include "update_image.h"
#include "update_preparation.h"
#include "worked_frames.h"

namespace tervalink::test {
namespace {

struct Row { const char *nid, *freq, *symb, *pol; bool ticked; };
constexpr Row good{"1", "11778", "27500", "V", true};

// HOTBIRD (slot 3) with its position and rows (none given: empty and not ticked), or AUTO SYMBOL
// with the worked rates, some changed: only the message of the first failing entry, or the clash
// (a status and a box).
TEST(UpdatePreparation, EntryAndClashTestsRefuseWithOnlyTheirMessage)
{
    const std::string tp_clash = "Change the TP 1, TP 3 informations (DATA FORMAT ERROR)";
    const std::string rate_clash = "Change the symbolrate informations (DATA FORMAT ERROR)";
    const UpdateRefusal range{"Symbol Rate must be in positive numbers.", false};
    const struct { int choice; const char* position; Row rows[3]; std::vector<std::pair<int, const char*>> rates; UpdateRefusal refusal; } cases[] = {
        {no_choice, "", {}, {}, {"Select a satellite to update", false}},
        {3, "", {}, {}, {"Some of the required field(s) is(are) empty. Please fill out all the checked TP information.", false}},
        {3, "130", {}, {}, {"Select TPs to update", false}},
        {3, "130", {{"1", "9000", "27500", "V", true}, {"x", "11778", "27500", "V", true}}, {},
         {"Frequency range must be within 10700 ~12750.", false}},
        {3, "130", {{"-1", "", "", "", false}, {}, {"1", "11000", "27500", "Q", true}}, {},
         {"Polarization must be either 'H' or 'V'", false}},
        {3, "130", {{}, {"x", "11778", "27500", "V", true}}, {}, {"NID, FREQ, SYMBOLRATE must be filled only in numbers.", false}},
        {3, "3600", {good}, {},
         {"Satellite location must be in the range of 0 ~ 3559. (e.g. 19.2E would be 1920, 10.0W would be 3500)", false}},
        {3, "130", {{"-5", "11778", "27500", "V", true}}, {}, {"NID must be either '0' or in positive numbers.", false}},
        {3, "130", {{}, {}, {"1", "11778", "-1", "V", true}}, {}, {"Symbol Rate must be in positive numbers or less than 32000.", false}},
        {3, "130", {{"1", "10787", "27500", "V", true}, good, {"35", "11778", "27500", "V", true}}, {}, {tp_clash, true}},
        {auto_symbol_choice, "", {}, {{1, "abc"}, {8, ""}},
         {"Some of the required field(s) is(are) empty. Please fill out all the information.", false}},
        {auto_symbol_choice, "", {}, {{3, " "}}, range},
        {auto_symbol_choice, "", {}, {{9, "32001"}}, range}, // "32000.5" cannot be typed
        {auto_symbol_choice, "", {}, {{0, "-1"}}, range},
        // All zero: only the tagged copy clashes.
        {auto_symbol_choice, "", {}, {{0, "0"}, {1, "0"}, {2, "0"}, {3, "0"}, {4, "0"}, {5, "0"}, {6, "0"}, {7, "0"}, {8, "0"}, {9, "0"}},
         {rate_clash, true}}};
    for (const auto& c : cases) {
        SatelliteTable table;
        fill_auto(table, autosym_rates);
        for (auto [k, rate] : c.rates)
            table.set_text(Field::auto_rate, k, rate);
        c.choice == no_choice ? table.clear_selection() : table.set_option(c.choice);
        table.set_text(Field::position, 3, c.position);
        for (int r = 0; r < rows_per_slot; ++r) {
            if (const Row& row = c.rows[r]; row.nid) {
                fill_row(table, 3, r, row.nid, row.freq, row.symb, row.pol);
                table.tick(row_index(3, r), row.ticked);
            }
        }
        const PreparedUpdate prepared = prepare_update(table);
        ASSERT_TRUE(std::holds_alternative<UpdateRefusal>(prepared)) << c.refusal.message;
        EXPECT_EQ(std::get<UpdateRefusal>(prepared), c.refusal);
    }
    SatelliteTable table;
    fill_auto(table, std::array{"0", "32000", "1", "1e3", " 5 ", "+7", "0", "0", "9", "10"});
    EXPECT_TRUE(std::holds_alternative<Transmission>(prepare_update(table)));
}

// A value that does not fit its frame fails the update at its row, naming the field: the ticked
// rows before it already hold their new packets in the image, it and the rows after it what the
// previous build left.
TEST(UpdatePreparation, AnOverflowFailsAndLeavesTheImageBuiltUpToItsRow)
{
    SatelliteTable table;
    UpdateImage image;
    table.set_option(3);
    for (int r = 0; r < rows_per_slot; ++r) {
        fill_row(table, 3, r, "1", "11778");
        table.tick(row_index(3, r), true);
    }
    ASSERT_TRUE(std::holds_alternative<Transmission>(prepare_update(table, image)));
    for (auto [r, nid] : {std::pair{0, "2"}, {1, "70000"}, {2, "3"}})
        table.set_text(Field::nid, row_index(3, r), nid);
    const PreparedUpdate prepared = prepare_update(table, image);
    ASSERT_TRUE(std::holds_alternative<Failed>(prepared));
    EXPECT_EQ(std::get<Failed>(prepared).description, "NID of HOTBIRD TP2: 70000 does not fit 0..65535");
    EXPECT_EQ(hex_bytes(image.tp_packet(0)), "23 53 03 00 82 00 02 00 02 2E 6C 6B 00 A8 2A");
    EXPECT_EQ(hex_bytes(image.tp_packet(1)), "23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A");
    EXPECT_EQ(hex_bytes(image.tp_packet(2)), "23 53 03 02 82 00 01 00 02 2E 6C 6B 00 A9 2A");
}

} // namespace
} // namespace tervalink::test
