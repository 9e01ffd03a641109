// serial/inventory_naming on Windows: how the ports the registry lists are described, and the
// ports whose order inventory_naming_test.cpp checks.
#include <array>

#include <gtest/gtest.h>

#include "inventory_naming_windows.h"
#include "inventory_order.h"

namespace tervalink {

// The system reports COM10 before COM2. A driver may register a port under a name of its own:
// listed last, and no "(COM" entry.
const std::vector<SerialDeviceFacts> test::reported_ports = {
    {"COM10", "\\\\.\\COM10", "USB Serial Port", ""}, {"CNCA0", "\\\\.\\CNCA0", "", ""},
    {"COM2", "\\\\.\\COM2", "", ""}, {"COM1", "\\\\.\\COM1", "Communications Port", ""}};
const std::vector<std::string> test::ports_in_order = {
    "Communications Port (COM1) \\\\.\\COM1 [Communications Port]",
    "Serial port (COM2) \\\\.\\COM2 [Serial port]",
    "USB Serial Port (COM10) \\\\.\\COM10 [USB Serial Port]",
    "Serial port (CNCA0) \\\\.\\CNCA0 [Serial port]"};

namespace {

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
