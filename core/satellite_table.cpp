#include "satellite_table.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "text.h"

namespace tervalink {
namespace {

constexpr std::array<std::string_view, choice_count> choice_names = {
    "ASTRA 2", "ASTRA 3", "ASTRA 1", "HOTBIRD", "ASTRA 4N", "THOR", "AB3",
    "EUTELSAT 9A", "USER 1", "USER 2", "USER 3", "USER 4", "ASTRA 4S", "AUTO SYMBOL"};

constexpr std::array<std::string_view, slot_count> default_positions = {
    "282", "235", "192", "130", "48", "3592", "3550", "90", "42", "3300", "1160", "950", "48"};

// A wrong index is a programming fault, not a failure of the user's entries: no input reaches the
// table with one (the window's controls have fixed indices, the tool's arguments are checked
// against the same counts). The program ends on it, naming it, rather than go on with a wrong
// reference.
[[noreturn]] void index_fault(const std::string& description)
{
    std::fprintf(stderr, "%s\n", description.c_str());
    std::abort();
}

void check_index(int index, int count, const char* what)
{
    if (index < 0 || index >= count)
        index_fault(std::string(what) + " index " + std::to_string(index) + " is outside 0.." +
                    std::to_string(count - 1));
}

// Every index into the table is checked: a wrong index is a programming fault, never a silent write.
template <typename Array>
auto& checked(Array& array, int index, const char* what)
{
    check_index(index, static_cast<int>(array.size()), what);
    return array[static_cast<std::size_t>(index)];
}

} // namespace

std::string_view choice_name(int choice)
{
    return checked(choice_names, choice, "choice");
}

std::string_view default_position(int slot)
{
    return checked(default_positions, slot, "slot");
}

int field_count(Field field)
{
    switch (field) {
    case Field::position: return slot_count;
    case Field::auto_rate: return auto_rate_count;
    case Field::nid:
    case Field::freq:
    case Field::symb:
    case Field::pol: return tp_row_count;
    }
    return 0;
}

SatelliteTable::SatelliteTable()
{
    for (int s = 0; s < slot_count; ++s)
        positions_[static_cast<std::size_t>(s)] = default_position(s);
}

std::string& SatelliteTable::slot_for(Field field, int index)
{
    switch (field) {
    case Field::position: return checked(positions_, index, "slot");
    case Field::nid: return checked(nids_, index, "TP row");
    case Field::freq: return checked(freqs_, index, "TP row");
    case Field::symb: return checked(symbs_, index, "TP row");
    case Field::pol: return checked(pols_, index, "TP row");
    case Field::auto_rate: return checked(auto_rates_, index, "auto symbol rate");
    }
    index_fault("unknown field");
}

const std::string& SatelliteTable::text(Field field, int index) const
{
    return const_cast<SatelliteTable*>(this)->slot_for(field, index);
}

void SatelliteTable::set_text(Field field, int index, std::string_view value)
{
    slot_for(field, index) = limit_characters(value, field_limit(field));
}

bool SatelliteTable::ticked(int index) const
{
    return checked(ticked_, index, "TP row");
}

void SatelliteTable::tick(int index, bool ticked)
{
    bool& box = checked(ticked_, index, "TP row");
    box = ticked;
    if (!option_set(slot_of(index)))
        box = false;
}

bool SatelliteTable::option_set(int choice) const
{
    return checked(option_set_, choice, "choice");
}

void SatelliteTable::set_option(int choice)
{
    check_index(choice, choice_count, "choice");
    option_set_.fill(false);
    checked(option_set_, choice, "choice") = true;
    select_choice(choice);
}

int SatelliteTable::selected_choice() const
{
    int selected = no_choice;
    for (int k = 0; k < choice_count; ++k)
        if (option_set_[static_cast<std::size_t>(k)])
            selected = k;
    return selected;
}

bool SatelliteTable::option_emphasis(int choice) const
{
    return checked(option_emphasis_, choice, "choice");
}

bool SatelliteTable::frame_emphasis(int choice) const
{
    return checked(frame_emphasis_, choice, "choice");
}

bool SatelliteTable::caption_emphasis(int index) const
{
    return checked(caption_emphasis_, index, "TP row");
}

void SatelliteTable::select_choice(int choice)
{
    check_index(choice, choice_count, "choice");
    frame_emphasis_.fill(false);
    option_emphasis_.fill(false);
    caption_emphasis_.fill(false);
    ticked_.fill(false);
    checked(frame_emphasis_, choice, "choice") = true;
    if (choice != auto_symbol_choice)
        for (int r = 0; r < rows_per_slot; ++r)
            checked(caption_emphasis_, row_index(choice, r), "TP row") = true;
    checked(option_emphasis_, choice, "choice") = true;
}

void SatelliteTable::clear_selection()
{
    option_set_.fill(false);
    option_emphasis_.fill(false);
    caption_emphasis_.fill(false);
}

} // namespace tervalink
