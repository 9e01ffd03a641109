// How Linux names a port that nothing stands behind, a device path, and a missing capture.
#include "tools_test_support.h"

namespace tervalink::frames_tool {

const std::string missing_port = "COM 251 (/dev/ttyACM51): no such device";
const std::string device_path_example = "/dev/ttyUSB0";
const std::string missing_capture =
    "Cannot open /nonexistent/capture.bin: No such file or directory\n";

} // namespace tervalink::frames_tool
