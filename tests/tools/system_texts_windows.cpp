// How Windows names a port that nothing stands behind, a device path, and a missing capture.
#include "tools_test_support.h"

namespace tervalink::frames_tool {

const std::string missing_port = "COM 251: no such port";
const std::string device_path_example = "\\\\.\\COM100";
// Windows' text is "The system cannot find the path specified", Wine's "Path not found".
const std::string missing_capture = "Cannot open /nonexistent/capture.bin: ... (Windows error 3)\n";

} // namespace tervalink::frames_tool
