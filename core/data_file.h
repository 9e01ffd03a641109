#pragma once

#include <string>

#include "data_file_reader.h"
#include "expected.h"
#include "import_buffers.h"

namespace tervalink {

class SatelliteTable;

// Reads the whole file into the reader's buffers, then copies them into the table and clears the
// selection. Fails naming the file and line when the file cannot be read or a line lacks a comma;
// the table is then untouched.
Expected<void> import_data_file(const std::string& path, DataFileReader& reader, SatelliteTable& table);

// The apply phase alone: all 39 records and 10 auto values into the table, then clear_selection.
void apply_import(const ImportBuffers& buffers, SatelliteTable& table);

} // namespace tervalink
