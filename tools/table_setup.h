#pragma once

#include "arguments.h"
#include "data_file.h"
#include "satellite_table.h"

namespace tervalink::frames_tool {

// Imports the data file, if one was given, as "Open a Data File ..." does; throws its Failure.
void import_given_file(const TableArguments& args, ImportBuffers& buffers, SatelliteTable& table);

// Each --set in order, as an assignment that keeps the field's length limit.
void apply_assignments(const TableArguments& args, SatelliteTable& table);

} // namespace tervalink::frames_tool
