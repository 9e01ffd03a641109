#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "field_limits.h"

namespace tervalink {

inline constexpr int slot_count = 13;
inline constexpr int choice_count = 14;
inline constexpr int auto_symbol_choice = 13;
inline constexpr int no_choice = 15;
inline constexpr int rows_per_slot = 3;
inline constexpr int tp_row_count = slot_count * rows_per_slot;
inline constexpr int auto_rate_count = 10;

// TP row r of slot s has the row index s + 13 r; every per-row array is indexed by it.
constexpr int row_index(int slot, int row) { return slot + slot_count * row; }
constexpr int slot_of(int index) { return index % slot_count; }
constexpr int row_of(int index) { return index / slot_count; }

std::string_view choice_name(int choice);
std::string_view default_position(int slot);

int field_count(Field field); // how many indices the field has: 13, 39 or 10

// The one model of the window: positions, TP rows, the auto symbol-rate table, the single
// selection and the emphasis the view shows. Texts are stored as typed or imported, never parsed.
class SatelliteTable {
public:
    SatelliteTable();

    const std::string& text(Field field, int index) const;
    void set_text(Field field, int index, std::string_view value);

    const std::string& position(int slot) const { return text(Field::position, slot); }
    const std::string& nid(int index) const { return text(Field::nid, index); }
    const std::string& freq(int index) const { return text(Field::freq, index); }
    const std::string& symb(int index) const { return text(Field::symb, index); }
    const std::string& pol(int index) const { return text(Field::pol, index); }
    const std::string& auto_rate(int k) const { return text(Field::auto_rate, k); }

    bool ticked(int index) const;
    // A click on the row's check box: the tick is set, and stays only while the row's slot is the
    // selected choice.
    void tick(int index, bool ticked);

    bool option_set(int choice) const;
    // Makes the choice the selected one, clears the previous option and runs select_choice.
    void set_option(int choice);
    // The selected choice, found by scanning the options in ascending order; no_choice when none.
    int selected_choice() const;

    bool option_emphasis(int choice) const;
    bool frame_emphasis(int choice) const;
    bool caption_emphasis(int index) const;

    void select_choice(int choice);
    void clear_selection();

    // Every text, tick, option and emphasis alike.
    friend bool operator==(const SatelliteTable&, const SatelliteTable&) = default;

private:
    std::string& slot_for(Field field, int index);

    std::array<std::string, slot_count> positions_;
    std::array<std::string, tp_row_count> nids_, freqs_, symbs_, pols_;
    std::array<std::string, auto_rate_count> auto_rates_;
    std::array<bool, tp_row_count> ticked_{};
    std::array<bool, tp_row_count> caption_emphasis_{};
    std::array<bool, choice_count> option_set_{};
    std::array<bool, choice_count> option_emphasis_{};
    std::array<bool, choice_count> frame_emphasis_{};
};

} // namespace tervalink
