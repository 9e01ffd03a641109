#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "satellite_table.h"

namespace tervalink {

// A TP line of a data file: unused, position, NID, FREQ, SYMB, polarisation flag.
inline constexpr int tp_field_count = 6;

// What the reads of data files left behind: a record per TP row and the latest auto line. Kept
// for the life of the window and never cleared: a short file leaves the records it does not reach
// as an earlier import filled them.
struct ImportBuffers {
    std::array<std::array<std::string, tp_field_count>, tp_row_count> file_tp_records;
    std::array<std::string, auto_rate_count> file_auto_rates;
    std::int16_t file_line_count = 0;
};

} // namespace tervalink
