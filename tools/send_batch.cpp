#include "send_batch.h"

#include "table_setup.h"
#include "update_preparation.h"

namespace tervalink::frames_tool {
namespace {

bool row_holds_data(const SatelliteTable& table, int index)
{
    return !table.nid(index).empty() || !table.freq(index).empty() || !table.symb(index).empty();
}

// Runs the entry and clash tests of the selected choice; adds the update or its refusal, which
// names the choice when the batch has several.
void add_update(const SatelliteTable& table, std::vector<int> rows, bool name_choice, Batch& batch)
{
    const int choice = table.selected_choice();
    PreparedUpdate prepared = prepare_update(table);
    if (auto* transmission = std::get_if<Transmission>(&prepared)) {
        batch.updates.push_back({choice, std::move(rows), std::move(*transmission)});
        return;
    }
    if (const auto* failed = std::get_if<Failed>(&prepared)) {
        if (batch.failure.empty())
            batch.failure = failed->description;
        return;
    }
    const std::string& message = std::get<UpdateRefusal>(prepared).message;
    batch.refusals.push_back(
        name_choice ? std::string(choice_name(choice)) + ": " + message : message);
}

} // namespace

std::string counted(std::size_t count, const char* one)
{
    return std::to_string(count) + " " + one + (count == 1 ? "" : "s");
}

Batch selected_update(const SatelliteTable& table)
{
    std::vector<int> rows;
    const int choice = table.selected_choice();
    if (choice < slot_count) {
        for (int r = 0; r < rows_per_slot; ++r)
            if (table.ticked(row_index(choice, r)))
                rows.push_back(row_index(choice, r));
    }
    Batch batch;
    add_update(table, rows, false, batch);
    return batch;
}

Batch whole_table(const SatelliteTable& table)
{
    Batch batch;
    for (int slot = 0; slot < slot_count; ++slot) {
        std::vector<int> rows;
        for (int r = 0; r < rows_per_slot; ++r)
            if (row_holds_data(table, row_index(slot, r)))
                rows.push_back(row_index(slot, r));
        if (rows.empty())
            continue;
        SatelliteTable selected = table;
        select_and_tick(selected, slot, rows);
        add_update(selected, rows, true, batch);
    }
    bool rates_filled = true;
    for (int k = 0; k < auto_rate_count; ++k)
        rates_filled = rates_filled && !table.auto_rate(k).empty();
    if (rates_filled) {
        SatelliteTable selected = table;
        select_and_tick(selected, auto_symbol_choice, {});
        add_update(selected, {}, true, batch);
    }
    return batch;
}

std::string duration_text(std::int64_t ticks)
{
    const std::int64_t seconds = (ticks + 99) / 100; // a part second counts as a whole one
    return (seconds >= 60 ? std::to_string(seconds / 60) + " min " : "") +
           std::to_string(seconds % 60) + " s";
}

std::int64_t batch_ticks(const Batch& batch)
{
    std::int64_t ticks = 0;
    for (const BatchUpdate& update : batch.updates)
        ticks += total_ticks(update.transmission);
    return ticks;
}

std::string batch_summary(const Batch& batch)
{
    std::size_t rows = 0;
    bool auto_symbol = false;
    for (const BatchUpdate& update : batch.updates) {
        rows += update.rows.size();
        auto_symbol = auto_symbol || update.choice == auto_symbol_choice;
    }
    std::string text = counted(batch.updates.size(), "update");
    if (rows > 0)
        text += ", " + counted(rows, "row");
    if (auto_symbol)
        text += rows > 0 ? " and AUTO SYMBOL" : ", AUTO SYMBOL";
    return text + ": " + duration_text(batch_ticks(batch));
}

} // namespace tervalink::frames_tool
