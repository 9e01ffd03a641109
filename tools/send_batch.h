#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "satellite_table.h"
#include "transmission.h"

namespace tervalink::frames_tool {

// One update of a batch: the choice, the rows it sends, and what goes on the line.
struct BatchUpdate {
    int choice = no_choice;
    std::vector<int> rows; // TP row indices, in the order sent; empty for AUTO SYMBOL
    Transmission transmission;
};

// Every update of a send run, or every refusal that stops it before anything is opened.
struct Batch {
    std::vector<BatchUpdate> updates;
    std::vector<std::string> refusals; // "HOTBIRD: Select TPs to update"
    std::string failure;               // a value that does not fit its frame
};

// The table's selection as it stands, as UPDATE would send it.
Batch selected_update(const SatelliteTable& table);

// --all: each slot holding data (a row with a NID, FREQ or SYMB that is not empty), in slot order,
// its rows with data ticked; then AUTO SYMBOL when all ten rates are filled.
Batch whole_table(const SatelliteTable& table);

// "1 update", "14 updates"
std::string counted(std::size_t count, const char* one);

// "42 min 16 s", "7 s": a part second counts as a whole one.
std::string duration_text(std::int64_t ticks);

// How long the batch lasts on a line: the sum of its pauses.
std::int64_t batch_ticks(const Batch& batch);

// "14 updates, 39 rows and AUTO SYMBOL: 42 min 16 s"
std::string batch_summary(const Batch& batch);

} // namespace tervalink::frames_tool
