#include "update_preparation.h"

#include <optional>

#include "numbers.h"
#include "satellite_table.h"
#include "tp_validation.h"
#include "update_image.h"

namespace tervalink {
namespace {

using Ticks = std::array<bool, rows_per_slot>;
using Refusal = std::optional<UpdateRefusal>;

UpdateRefusal refusal(std::string_view message) { return {std::string(message), false}; }

std::string tp_list_entry(int row) { return "TP " + std::to_string(row + 1); }

Refusal auto_rates_refusal(const SatelliteTable& table)
{
    for (int k = 0; k < auto_rate_count; ++k) {
        if (table.auto_rate(k).empty())
            return refusal(auto_rate_messages[0]);
    }
    for (int k = 0; k < auto_rate_count; ++k) {
        const std::string& rate = table.auto_rate(k);
        const double value = numeric_value(rate);
        if (!is_numeric_text(rate) || value < 0 || value > 32000)
            return refusal(auto_rate_messages[1]);
    }
    return std::nullopt;
}

Refusal slot_entries_refusal(const SatelliteTable& table, int slot, Ticks& ticked)
{
    if (table.position(slot).empty())
        return refusal(tp_error_messages[1]);
    int ticked_count = 0;
    for (int r = 0; r < rows_per_slot; ++r) {
        const int i = row_index(slot, r);
        ticked[static_cast<std::size_t>(r)] = table.ticked(i);
        if (!table.ticked(i))
            continue;
        ++ticked_count;
        const int code = check_tp_fields(table, i);
        if (code != 0)
            return refusal(tp_error_messages[static_cast<std::size_t>(code)]);
    }
    if (ticked_count == 0)
        return refusal(select_tps_message);
    return std::nullopt;
}

Refusal entries_refusal(const SatelliteTable& table, int choice, Ticks& ticked)
{
    if (choice == no_choice)
        return refusal(select_satellite_message);
    if (choice == auto_symbol_choice)
        return auto_rates_refusal(table);
    return slot_entries_refusal(table, choice, ticked);
}

std::string clash_message(int choice, const UpdateImage& image, const Ticks& ticked)
{
    if (choice == auto_symbol_choice) {
        const bool clash = autosym_packet_clashes(image.autosym_packet()) ||
                           autosym_packet_clashes(image.tagged_autosym_packet());
        return clash ? std::string(symbolrate_clash_message) : std::string();
    }
    std::string list;
    for (int r = 0; r < rows_per_slot; ++r) {
        if (ticked[static_cast<std::size_t>(r)] && tp_packet_clashes(image.tp_packet(r)))
            list += (list.empty() ? "" : ", ") + tp_list_entry(r);
    }
    return list.empty() ? std::string() : "Change the " + list + " informations (DATA FORMAT ERROR)";
}

} // namespace

PreparedUpdate prepare_update(const SatelliteTable& table, UpdateImage& image)
{
    const int choice = table.selected_choice();
    Ticks ticked{};
    if (Refusal refused = entries_refusal(table, choice, ticked))
        return *std::move(refused);
    if (const Expected<void> built = image.build(table, choice); !built)
        return built.failed();
    if (std::string clash = clash_message(choice, image, ticked); !clash.empty())
        return UpdateRefusal{std::move(clash), true};
    return choice == auto_symbol_choice ? auto_symbol_transmission(image)
                                        : slot_transmission(image, ticked);
}

PreparedUpdate prepare_update(const SatelliteTable& table)
{
    UpdateImage image;
    return prepare_update(table, image);
}

} // namespace tervalink
