#pragma once

#include <ostream>
#include <string>

namespace tervalink::frames_tool {

// "monitor PORT": listens on PORT ("COM n" as in the port box, or a device path) at the line
// settings of the antenna unit and prints every frame as "decode" does, with the time it arrived
// and the gap to the frame before. Runs until Ctrl-C; returns an exit code.
int run_monitor(const std::string& port, std::ostream& out, std::ostream& err);

} // namespace tervalink::frames_tool
