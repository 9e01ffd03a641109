#pragma once

#include <string>

#include "device_naming.h"

namespace tervalink::frames_tool {

// A PORT on the command line: "COM n" as in the port box ("COM 3" or "COM3"), or a device path.
// Throws UsageError for a text that is neither, Failure for a number that names no port.
PortAddress resolve_port(const std::string& text,
                         std::string_view device_root = default_device_root);

// A port that would not open, with what this machine's adapters say about it: one plugged in
// without a usable port often explains the failure.
std::string with_this_machines_adapter_reasons(const std::string& failure);

} // namespace tervalink::frames_tool
