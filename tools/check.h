#pragma once

#include <iosfwd>

#include "arguments.h"

namespace tervalink::frames_tool {

// Builds the table as the arguments say and lists what CHECK DATA would; gives the exit status.
int run_check(const TableArguments& args, std::ostream& out, std::ostream& err);

} // namespace tervalink::frames_tool
