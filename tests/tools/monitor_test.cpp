// monitor: the ports it refuses, in this system's words.
#include <sstream>

#include <gtest/gtest.h>

#include "monitor.h"
#include "tools_test_support.h"

namespace tervalink::frames_tool {
namespace {

TEST(Monitor, RefusesPortsItCannotUse)
{
    const std::tuple<std::string, int, std::string> cases[] = {
        {"COM 251", 4, "Cannot open " + missing_port + "\n"},
        {"ttyUSB9", 2, "PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or a device "
                       "path such as " + device_path_example + "\n"}};
    for (const auto& [port, exit_code, diagnostic] : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(run_monitor(port, out, err), exit_code);
        EXPECT_EQ(err.str(), diagnostic);
        EXPECT_EQ(out.str(), "");
    }
}

} // namespace
} // namespace tervalink::frames_tool
