#include "window_design.h"

#include <algorithm>
#include <array>

#include "field_limits.h"
#include "satellite_table.h"

namespace tervalink::design {

namespace {

struct Cell {
    int left;
    int top;
};

// Where each choice's group stands: four columns, four rows, SYSTEM in the first two top cells.
constexpr std::array<Cell, choice_count> group_cells{{
    {120, 2040}, {120, 3960}, {120, 5880},        // ASTRA 2, ASTRA 3, ASTRA 1
    {4920, 2040}, {4920, 3960}, {4920, 5880},     // HOTBIRD, ASTRA 4N, THOR
    {9720, 2040}, {9720, 3960}, {9720, 5880},     // AB3, EUTELSAT 9A, USER 1
    {14520, 120}, {14520, 2040}, {14520, 3960},   // USER 2, USER 3, USER 4
    {9720, 120}, {14520, 5880},                   // ASTRA 4S, AUTO SYMBOL
}};

constexpr int group_width = 4695;
constexpr int group_height = 1695;
constexpr std::size_t blank_caption_length = 36; // only the group's border shows

// The groups column by column, top to bottom: "ASTRA 4S" (12) follows "THOR" (5).
constexpr std::array<int, slot_count> slots_by_column{0, 1, 2, 3, 4, 5, 12, 6, 7, 8, 9, 10, 11};

// The focus order: the five SYSTEM controls and UPDATE, the options, each satellite group's
// position box, ticks and TP rows, then the auto symbol-rate boxes.
constexpr int first_option_tab = 6;
constexpr int first_slot_tab = first_option_tab + choice_count;
constexpr int tabs_per_row = 4; // NID, FREQ, SYMB, POL
constexpr int tabs_per_slot = 1 + rows_per_slot + tabs_per_row * rows_per_slot;
constexpr int first_auto_rate_tab = first_slot_tab + slot_count * tabs_per_slot;

int column_place(int slot)
{
    return static_cast<int>(std::find(slots_by_column.begin(), slots_by_column.end(), slot) -
                            slots_by_column.begin());
}

int slot_tab(int slot, int offset) { return first_slot_tab + column_place(slot) * tabs_per_slot + offset; }

int option_width(int choice)
{
    switch (choice) {
    case 0:
    case 7:
        return 1455;
    case 6:
        return 1095;
    case 9:
        return 1695;
    default:
        return 1335;
    }
}

// The options lie over their groups' top borders as their captions.
TwipsRect option_box(int choice)
{
    if (choice == auto_symbol_choice)
        return {14640, 5910, 1695, 195};
    const Cell cell = group_cells[static_cast<std::size_t>(choice)];
    const int indent = cell.left == 120 ? 120 : 240;
    return {cell.left + indent, cell.top - 120, option_width(choice), 495};
}

int add(std::vector<Control>& all, Control control)
{
    all.push_back(std::move(control));
    return static_cast<int>(all.size()) - 1;
}

Control text_box(std::string name, int index, int container, TwipsRect box, Field field,
                 Alignment alignment, int tab)
{
    return {.kind = Kind::text_box, .name = std::move(name), .index = index,
            .container = container, .box = box, .max_length = field_limit(field),
            .alignment = alignment, .tab = tab};
}

void add_system_group(std::vector<Control>& all)
{
    const int system = add(all, {.kind = Kind::frame, .name = "Frame1", .box = {120, 120, 9495, 1695},
                                 .text = "SYSTEM", .bold = true, .caption_colour = red});
    add(all, {.kind = Kind::drop_down, .name = "cboPort", .container = system,
              .box = {840, 360, 1215, 315}, .tab = 0});
    add(all, {.kind = Kind::drop_down, .name = "cboBurd", .container = system,
              .box = {2160, 360, 1215, 315}, .tab = 1,
              .items = {"9600", "19200", "38400", "57600"}});
    add(all, {.kind = Kind::button, .name = "cmdScan", .container = system,
              .box = {3600, 240, 1095, 500}, .text = "Scan Ports", .tab = 2});
    add(all, {.kind = Kind::button, .name = "cmdOpenSave", .container = system,
              .box = {4800, 240, 1695, 500}, .text = "Open a Data File ...", .tab = 3});
    add(all, {.kind = Kind::button, .name = "CmdConnect", .container = system,
              .box = {6720, 240, 1335, 500}, .text = connect_caption, .tab = 4});
    add(all, {.kind = Kind::progress_bar, .name = "pBar", .container = system,
              .box = {840, 960, 8535, 375}, .maximum = 100});
    add(all, {.kind = Kind::label, .name = "Label2", .container = system,
              .box = {240, 1320, 615, 255}, .text = "Status :"});
    add(all, {.kind = Kind::label, .name = "lblSystem", .container = system,
              .box = {840, 1320, 8295, 255}});
    // UPDATE and the lamp stand on the window, drawn over the SYSTEM group.
    add(all, {.kind = Kind::button, .name = "cmdSend", .box = {8280, 360, 1215, 500},
              .text = "UPDATE", .tab = 5, .enabled = false});
    add(all, {.kind = Kind::lamp, .name = "pic", .box = {360, 1080, 500, 245}});
}

void add_slot_contents(std::vector<Control>& all, int group, int slot)
{
    add(all, {.kind = Kind::label, .name = "Label1", .index = 2 * slot, .container = group,
              .box = {240, 480, 855, 255}, .text = "POSITION", .alignment = Alignment::centre});
    Control position = text_box("txtPos", slot, group, {240, 840, 855, 360}, Field::position,
                                Alignment::centre, slot_tab(slot, 0));
    position.points = position_design_points;
    add(all, std::move(position));
    add(all, {.kind = Kind::label, .name = "Label1", .index = 2 * slot + 1, .container = group,
              .box = {2160, 240, 2415, 255}, .text = "  NID      FREQ    SYMB     POL"});
    for (int row = 0; row < rows_per_slot; ++row) {
        const int index = row_index(slot, row);
        const int top = 480 + 360 * row;
        add(all, {.kind = Kind::check_box, .name = "chTp", .index = index, .container = group,
                  .box = {1320, top, 735, 255}, .text = "TP" + std::to_string(row + 1),
                  .tab = slot_tab(slot, 1 + row)});
        const int first = slot_tab(slot, 1 + rows_per_slot + tabs_per_row * row);
        const auto box = [&](const char* name, int left, Field field, Alignment alignment, int tab) {
            add(all, text_box(name, index, group, {left, top, 550, 315}, field, alignment, tab));
        };
        box("txtNID", 2160, Field::nid, Alignment::right, first);
        box("txtFreq", 2760, Field::freq, Alignment::right, first + 1);
        box("txtSym", 3360, Field::symb, Alignment::right, first + 2);
        box("txtPol", 3960, Field::pol, Alignment::centre, first + 3);
    }
}

void add_auto_symbol_contents(std::vector<Control>& all, int group)
{
    for (int k = 0; k < auto_rate_count; ++k)
        add(all, text_box("txtAutoSym", k, group, {360 + 900 * (k % 5), k < 5 ? 480 : 1080, 600, 285},
                          Field::auto_rate, Alignment::right, first_auto_rate_tab + k));
}

void add_satellite_groups(std::vector<Control>& all)
{
    for (int k = 0; k < choice_count; ++k) {
        const Cell cell = group_cells[static_cast<std::size_t>(k)];
        const int group = add(all, {.kind = Kind::frame, .name = "Frame2", .index = k,
                                    .box = {cell.left, cell.top, group_width, group_height},
                                    .text = std::string(blank_caption_length, ' ')});
        if (k == auto_symbol_choice)
            add_auto_symbol_contents(all, group);
        else
            add_slot_contents(all, group, k);
    }
    // All options stand on the window, so they form one group of mutually exclusive options.
    for (int k = 0; k < choice_count; ++k) {
        const int tab = first_option_tab + (k == auto_symbol_choice ? slot_count : column_place(k));
        add(all, {.kind = Kind::option, .name = "opSat", .index = k, .box = option_box(k),
                  .text = std::string(choice_name(k)), .tab = tab});
    }
}

// CHECK DATA and its list lie below the client area and stay hidden.
void add_hidden_controls(std::vector<Control>& all)
{
    add(all, {.kind = Kind::list_box, .name = "List2", .box = {120, 7800, 10215, 2595},
              .visible = false});
    add(all, {.kind = Kind::button, .name = "cmdCheck", .box = {10800, 7800, 8295, 2655},
              .text = "CHECK DATA", .visible = false});
}

std::vector<Control> make_window_controls()
{
    std::vector<Control> all;
    add_system_group(all);
    add_satellite_groups(all);
    add_hidden_controls(all);
    return all;
}

} // namespace

std::string Control::object_name() const
{
    return index == single ? name : name + '_' + std::to_string(index);
}

const std::vector<Control>& window_controls()
{
    static const std::vector<Control> controls = make_window_controls();
    return controls;
}

std::size_t position_of(std::string_view name, int index)
{
    const std::vector<Control>& all = window_controls();
    const auto found = std::find_if(all.begin(), all.end(), [&](const Control& control) {
        return control.index == index && control.name == name;
    });
    return static_cast<std::size_t>(found - all.begin());
}

std::vector<std::size_t> tab_chain()
{
    const std::vector<Control>& all = window_controls();
    std::vector<std::size_t> chain;
    for (std::size_t n = 0; n < all.size(); ++n)
        if (all[n].tab != no_tab)
            chain.push_back(n);
    std::sort(chain.begin(), chain.end(),
              [&](std::size_t a, std::size_t b) { return all[a].tab < all[b].tab; });
    return chain;
}

} // namespace tervalink::design
