#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace tervalink::frames_tool {

// The whole command line after the program name: picks the subcommand, runs it, and gives the
// exit status. Bad arguments print the usage on `err`.
int run_frames_tool(std::span<const std::string> args, std::istream& in, std::ostream& out,
                    std::ostream& err);

} // namespace tervalink::frames_tool
