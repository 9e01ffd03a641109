// serial/device_naming on Linux: which device "COM n" opens, and which number a device has.
#include <gtest/gtest.h>

#include "device_naming.h"
#include "device_naming_linux.h"
#include "failure_of.h"

namespace tervalink {
namespace {

using test::failure_of;

TEST(PortAddress, FollowsTheFixedFamilies)
{
    const std::string families = " names no port: use COM 1-99 for /dev/ttyS0-98, COM 100-199 for "
                                 "/dev/ttyUSB0-99, COM 200-299 for /dev/ttyACM0-99, COM 300-399 "
                                 "for /dev/ttyAMA0-99 or COM 400-499 for /dev/rfcomm0-99";
    const std::pair<int, std::string> cases[] = {
        {1, "/r/ttyS0"},      {99, "/r/ttyS98"},      {100, "/r/ttyUSB0"}, {199, "/r/ttyUSB99"},
        {200, "/r/ttyACM0"},  {300, "/r/ttyAMA0"},    {400, "/r/rfcomm0"}, {499, "/r/rfcomm99"},
        {0, "COM 0" + families}, {500, "COM 500" + families}, {-32768, "COM -32768" + families}};
    for (const auto& [number, expected] : cases) {
        std::string got;
        const std::string failed = failure_of([&, number = number] {
            const PortAddress address = port_address(static_cast<std::int16_t>(number), "/r");
            EXPECT_EQ(address.label, "COM " + std::to_string(number) + " (" + address.device_path + ")");
            got = address.device_path;
        });
        EXPECT_EQ(failed.empty() ? got : failed, expected);
    }
    // Discovery and CONNECT must agree on every number, or COM n would open another adapter.
    for (int port = 1; port <= 499; ++port)
        EXPECT_EQ(port_number_for_device(port_address(static_cast<std::int16_t>(port)).device_path.substr(5)),
                  port);
    for (const char* name : {"ttyS99", "ttyUSB100", "ttyUSB", "ttyUSB07", "ttyS1a", "ttyUSB-1",
                             "ttySAC0", "pts/3"})
        EXPECT_FALSE(port_number_for_device(name)) << name;
    // Any absolute path: a link such as socat makes for a virtual null-modem pair, too.
    for (const char* path : {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI-if00", "/tmp/ttyV0"})
        EXPECT_TRUE(is_device_path(path)) << path;
    EXPECT_FALSE(is_device_path("ttyUSB0"));
}

} // namespace
} // namespace tervalink
