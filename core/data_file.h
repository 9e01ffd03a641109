#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tervalink {

class SatelliteTable;

// What the reads of data files left behind. Kept for the life of the window and never cleared:
// a short file leaves the records it does not reach as an earlier import filled them.
struct ImportBuffers {
    std::array<std::array<std::string, 6>, 39> file_tp_records;
    std::array<std::string, 10> file_auto_rates;
    std::int16_t file_line_count = 0;
};

// Reads the whole file into the buffers, then copies them into the table and clears the
// selection. Throws Failure naming the file and line when the file cannot be read or a line lacks
// a comma; the table is then untouched.
void import_data_file(const std::string& path, ImportBuffers& buffers, SatelliteTable& table);

// The apply phase alone: all 39 records and 10 auto values into the table, then clear_selection.
void apply_import(const ImportBuffers& buffers, SatelliteTable& table);

} // namespace tervalink
