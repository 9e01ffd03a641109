// serial/inventory_naming on Windows: how the ports the registry lists are described, named and
// ordered.
#include <array>

#include <gtest/gtest.h>

#include "inventory_naming.h"
#include "inventory_naming_windows.h"
#include "listed_devices.h"

namespace tervalink {
namespace {

using Lines = std::vector<std::string>;
using test::listed;

TEST(InventoryNaming, InPortNumberOrder)
{
    // The system reports its ports in an order of its own: COM10 before COM2. A driver may
    // register a port under a name of its own: listed last, and no "(COM" entry.
    EXPECT_EQ(listed(inventory_of({{"COM10", "\\\\.\\COM10", "USB Serial Port", ""},
                                   {"CNCA0", "\\\\.\\CNCA0", "", ""},
                                   {"COM2", "\\\\.\\COM2", "", ""},
                                   {"COM1", "\\\\.\\COM1", "Communications Port", ""}})),
              (Lines{"Communications Port (COM1) \\\\.\\COM1 [Communications Port]",
                     "Serial port (COM2) \\\\.\\COM2 [Serial port]",
                     "USB Serial Port (COM10) \\\\.\\COM10 [USB Serial Port]",
                     "Serial port (CNCA0) \\\\.\\CNCA0 [Serial port]"}));
}

TEST(InventoryNaming, AdapterDescriptionsFromFriendlyNames)
{
    // The friendly name without its own port; a name ending in another port stays whole.
    const std::array<const char*, 3> windows[] = {
        {"USB Serial Port (COM3)", "COM3", "USB Serial Port"},
        {"USB Serial Port (COM3)", "COM13", "USB Serial Port (COM3)"},
        {"Standard Serial over Bluetooth link", "COM4", "Standard Serial over Bluetooth link"}};
    for (const auto& [friendly, port, description] : windows)
        EXPECT_EQ(adapter_description_from_friendly_name(friendly, port), description) << friendly;
}

} // namespace
} // namespace tervalink
