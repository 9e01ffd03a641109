#pragma once

#include <string>

#include "device_naming.h"

namespace tervalink::frames_tool {

// A PORT on the command line: "COM n" as in the port box ("COM 3" or "COM3"), or a device path.
// Throws UsageError for a text that is neither, Failure for a number that names no port.
PortAddress resolve_port(const std::string& text);

} // namespace tervalink::frames_tool
