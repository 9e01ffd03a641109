// ports on Linux: the real udev code on a mocked device tree.
#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

#include "ports.h"
#include "system_device_inventory.h"

namespace tervalink::frames_tool {
namespace {

// Run by CTest under umockdev, with ModemManager present: on usb_trees/cdc_acm_with_tty.umockdev
// the port gets ModemManager's note; on cdc_acm_ignored_by_modem_manager.umockdev, the same
// adapter marked ID_MM_DEVICE_IGNORE, none.
TEST(PortsOnUsbTree, ModemManagerProbesAnAcmPortNotMarkedForIt)
{
    const bool marked = std::getenv("TERVALINK_MM_MARKED") != nullptr;
    SystemDeviceInventory inventory([] { return true; });
    std::ostringstream out, err;
    EXPECT_EQ(run_ports(inventory, out, err), 0);
    EXPECT_EQ(out.str(), "COM 200\t/dev/ttyACM0\tArduino SA Uno R3 (CDC ACM)\tUSB 2341:0043 serial "
                         "75833353035351F0D0F1 at 1-4\n");
    EXPECT_EQ(err.str(), marked ? ""
                                : "tervalink-frames: note: An Arduino SA Uno R3 (CDC ACM) (2341:0043) "
                                  "is on COM 200 (/dev/ttyACM0), but ModemManager probes a new "
                                  "ttyACM port for several seconds: wait a few seconds after "
                                  "plugging it in, or mark it ID_MM_DEVICE_IGNORE in a udev rule.\n");
}

} // namespace
} // namespace tervalink::frames_tool
