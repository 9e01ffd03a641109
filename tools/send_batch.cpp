#include "send_batch.h"

#include "failure.h"
#include "table_setup.h"
#include "update_run.h"

namespace tervalink::frames_tool {
namespace {

// Keeps the message box an update would show.
class RefusalView : public SilentUpdateView {
public:
    void show_message(std::string_view text) override { message = text; }
    std::string message;
};

bool row_holds_data(const SatelliteTable& table, int index)
{
    return !table.nid(index).empty() || !table.freq(index).empty() || !table.symb(index).empty();
}

// Runs the entry and clash tests of the selected choice; adds the update or its refusal, which
// names the choice when the batch has several.
void add_update(const SatelliteTable& table, std::vector<int> rows, bool name_choice, Batch& batch)
{
    const int choice = table.selected_choice();
    RefusalView view;
    UpdateImage image;
    try {
        PreparedUpdate prepared = prepare_update(table, image, view);
        if (prepared.outcome == UpdateOutcome::started)
            batch.updates.push_back({choice, std::move(rows), std::move(prepared.transmission)});
        else
            batch.refusals.push_back(
                name_choice ? std::string(choice_name(choice)) + ": " + view.message : view.message);
    } catch (const Failure& failure) {
        if (batch.failure.empty())
            batch.failure = failure.what();
    }
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

std::string batch_summary(const Batch& batch)
{
    std::size_t rows = 0;
    bool auto_symbol = false;
    std::int64_t ticks = 0;
    for (const BatchUpdate& update : batch.updates) {
        rows += update.rows.size();
        auto_symbol = auto_symbol || update.choice == auto_symbol_choice;
        ticks += total_ticks(update.transmission);
    }
    std::string text = counted(batch.updates.size(), "update");
    if (rows > 0)
        text += ", " + counted(rows, "row");
    if (auto_symbol)
        text += rows > 0 ? " and AUTO SYMBOL" : ", AUTO SYMBOL";
    const std::int64_t seconds = (ticks + 99) / 100; // a part second counts as a whole one
    return text + ": " + (seconds >= 60 ? std::to_string(seconds / 60) + " min " : "") +
           std::to_string(seconds % 60) + " s";
}

} // namespace tervalink::frames_tool
