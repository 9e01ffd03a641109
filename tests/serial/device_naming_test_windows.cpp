// serial/device_naming on Windows: "COM n" opens \\.\COMn.
#include <gtest/gtest.h>

#include "device_naming.h"
#include "failure_of.h"

namespace tervalink {
namespace {

using test::failure_of;

TEST(PortAddress, IsTheDeviceComN)
{
    const std::tuple<int, const char*, const char*> cases[] = {
        {1, "\\\\.\\COM1", "COM 1"}, {9, "\\\\.\\COM9", "COM 9"}, {107, "\\\\.\\COM107", "COM 107"},
        {32767, "\\\\.\\COM32767", "COM 32767"}};
    for (const auto& [number, path, label] : cases) {
        const PortAddress address = port_address(static_cast<std::int16_t>(number));
        EXPECT_EQ(address.device_path, path);
        EXPECT_EQ(address.label, label);
    }
    for (int number : {0, -1})
        EXPECT_EQ(failure_of([&] { port_address(static_cast<std::int16_t>(number)); }),
                  "COM " + std::to_string(number) + " names no port: Windows numbers its ports from COM 1");
    EXPECT_TRUE(is_device_path("\\\\.\\COM3"));
    EXPECT_FALSE(is_device_path("COM3"));
}

} // namespace
} // namespace tervalink
