#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tervalink {

class SatelliteTable;

// " 3  1" for slot 3, row 1: each number with a reserved sign position, joined by a blank.
std::string check_data_line(int slot, int row);

struct CheckDataResult {
    std::vector<std::string> lines;     // clashing rows found, in scan order
    std::optional<std::string> failure; // set when the scan stopped on an overflow
};

// Lists every row whose TP packet would clash, skipping slots with an empty position text.
CheckDataResult check_data(const SatelliteTable& table);

} // namespace tervalink
