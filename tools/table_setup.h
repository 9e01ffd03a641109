#pragma once

#include <optional>
#include <ostream>
#include <vector>

#include "arguments.h"
#include "data_file.h"
#include "satellite_table.h"

namespace tervalink::frames_tool {

// Imports the data file, if one was given, as "Open a Data File ..." does, and fails as it does.
Expected<void> import_given_file(const TableArguments& args, DataFileReader& reader,
                                 SatelliteTable& table);

// Each --set in order, as an assignment that keeps the field's length limit.
void apply_assignments(const TableArguments& args, SatelliteTable& table);

// The table the arguments describe: defaults, then the data file, then the assignments. When the
// file cannot be imported, says why on `err` and gives nothing.
std::optional<SatelliteTable> build_table(const TableArguments& args, std::ostream& err);

// Clicks the option of `choice` (none for no_choice), then ticks each row as a user would.
void select_and_tick(SatelliteTable& table, int choice, const std::vector<int>& ticks);

} // namespace tervalink::frames_tool
