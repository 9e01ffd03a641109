#pragma once

#include <memory>
#include <string>

class QCoreApplication;

namespace tervalink::frames_tool {

// A PORT on the command line: "COM n" as in the port box, or a device path.
struct PortArgument {
    std::string device_path;
    std::string label; // how messages name it: "COM 107 (/dev/ttyUSB7)" or the path
};

// Throws UsageError for a text that is neither, Failure for a number that names no port.
PortArgument resolve_port(const std::string& text);

// The serial port needs Qt's event machinery even where no event loop runs; null when the
// caller already has an application object.
std::unique_ptr<QCoreApplication> ensure_application();

} // namespace tervalink::frames_tool
