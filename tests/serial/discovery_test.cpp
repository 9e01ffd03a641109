// serial/: what "Scan Ports" lists: the port entry rule, the scan over an inventory, and how the
// ports the system reports are described, named and ordered.
#include <array>

#include <gtest/gtest.h>

#include "failure_of.h"
#include "fake_inventory.h"
#include "inventory_naming.h"

namespace tervalink {
namespace {

using Lines = std::vector<std::string>;

InventoryDevice named(const std::string& name) { return {name, "/dev/x", "adapter", ""}; }

std::vector<InventoryDevice> numbered_ports(int count)
{
    std::vector<InventoryDevice> devices;
    for (int n = 1; n <= count; ++n)
        devices.push_back(named("Port (COM" + std::to_string(n) + ")"));
    return devices;
}

// Each device as "<display name> <path> [<description>]".
Lines listed(const std::vector<InventoryDevice>& devices)
{
    Lines lines;
    for (const InventoryDevice& device : devices)
        lines.push_back(*device.display_name + " " + device.device_path + " [" +
                        device.description + "]");
    return lines;
}

TEST(Discovery, PortEntryRule)
{
    const std::pair<const char*, const char*> cases[] = { // "-": no entry
        {"USB Serial Port (COM3)", "COM 3"}, {"Bridge (COM5->COM6)", "COM 5->COM6"},
        {"Odd (COM)", "COM "},               {"Prolific(R) USB (COM3)", "COM 3"},
        {"A (COM7) B (COM8)", "COM 7"},      {"Broken (COM4", "-"},
        {"X) (COM4", "-"},                   {"Port (com3)", "-"},
        {"Port ( COM3)", "-"}};
    for (const auto& [name, entry] : cases)
        EXPECT_EQ(port_entry(name).value_or("-"), entry) << name;
}

TEST(Discovery, ScanPortsListsEntriesInInventoryOrderUpTo100)
{
    test::FakeInventory inventory;
    inventory.listed = {named("B (COM9) v2"), named("C (COM8)"), named("Disk"),
                        named("Port (com3)"), named("Broken (COM4"), named("A (COM2)")};
    PortNames names;
    names.port_count = 42; // stale from an earlier scan
    EXPECT_EQ(scan_ports(inventory, names).size(), 3u);
    // Rescanned after the second device lost its name: unnamed and non-serial devices are
    // skipped, a name without ")" counts but makes no entry.
    inventory.listed = {{"B (COM9) v2", "/dev/ttyUSB9", "B", ""}, {std::nullopt, "/dev/x", "adapter", ""},
                        named("Disk"), named("Port (com3)"), named("Broken (COM4"),
                        {"A (COM2)", "/dev/ttyS1", "A", ""}};
    Lines entries;
    for (const PortEntry& entry : scan_ports(inventory, names))
        entries.push_back(entry.text + " " + entry.device_path + " " + entry.description);
    EXPECT_EQ(entries, (Lines{"COM 9 /dev/ttyUSB9 B", "COM 2 /dev/ttyS1 A"}));
    EXPECT_EQ(names.port_count, 3);
    // Selecting again appends the whole names behind those already found.
    select_serial_port(inventory, names);
    EXPECT_EQ(names.port_count, 6);
    EXPECT_EQ(names.port_names[3], "B (COM9) v2");
    inventory.listed = numbered_ports(100);
    EXPECT_EQ(scan_ports(inventory, names).back().text, "COM 100");
    inventory.listed = numbered_ports(101);
    EXPECT_EQ(test::failure_of([&] { scan_ports(inventory, names); }),
              "Subscript out of range: more than 100 serial ports were found; unplug the adapters "
              "you do not need and scan again");
    EXPECT_EQ(names.port_count, 100); // the count never points past the names it holds
    inventory.failure = "The device list cannot be read";
    EXPECT_EQ(test::failure_of([&] { scan_ports(inventory, names); }), *inventory.failure);
}

TEST(Discovery, InventoryNamesInPortNumberOrder)
{
    // Which device gets which number is pinned by the naming tests. The systems report their
    // ports in an order of their own: ttyUSB10 before ttyUSB9, COM10 before COM2.
    EXPECT_EQ(listed(linux_inventory({{"ttyUSB10", "/dev/ttyUSB10", "FTDI FT232R USB UART", ""},
                                      {"ttyACM3", "/dev/ttyACM3", "Arduino Uno", ""},
                                      {"ttyUSB100", "/dev/ttyUSB100", "X", ""},
                                      {"ttyS1", "/dev/ttyS1", "", ""},
                                      {"ttyUSB9", "/dev/ttyUSB9", "Prolific PL2303", ""},
                                      {"ttyS0", "/dev/ttyS0", "", ""}})),
              (Lines{"Serial port (COM1) /dev/ttyS0 [Serial port]",
                     "Serial port (COM2) /dev/ttyS1 [Serial port]",
                     "Prolific PL2303 (COM109) /dev/ttyUSB9 [Prolific PL2303]",
                     "FTDI FT232R USB UART (COM110) /dev/ttyUSB10 [FTDI FT232R USB UART]",
                     "Arduino Uno (COM203) /dev/ttyACM3 [Arduino Uno]"}));
    // A driver may register a port under a name of its own: listed last, and no "(COM" entry.
    EXPECT_EQ(listed(windows_inventory({{"COM10", "\\\\.\\COM10", "USB Serial Port", ""},
                                        {"CNCA0", "\\\\.\\CNCA0", "", ""},
                                        {"COM2", "\\\\.\\COM2", "", ""},
                                        {"COM1", "\\\\.\\COM1", "Communications Port", ""}})),
              (Lines{"Communications Port (COM1) \\\\.\\COM1 [Communications Port]",
                     "Serial port (COM2) \\\\.\\COM2 [Serial port]",
                     "USB Serial Port (COM10) \\\\.\\COM10 [USB Serial Port]",
                     "Serial port (CNCA0) \\\\.\\CNCA0 [Serial port]"}));
}

TEST(Discovery, AdapterDescriptions)
{
    // Linux, from udev: the hardware database's names, else the adapter's own IDs.
    const std::pair<UdevAdapterNames, const char*> udev[] = {
        {{"Future Technology Devices International, Ltd", "FTDI", "FT232 Serial (UART) IC",
          "FT232R_USB_UART"},
         "Future Technology Devices International, Ltd FT232 Serial (UART) IC"},
        {{"", "FTDI", "", "FT232R_USB_UART"}, "FTDI FT232R USB UART"},
        {{"Prolific Technology, Inc.", "Prolific_Technology_Inc.", "", "USB-Serial_Controller"},
         "Prolific Technology, Inc. USB-Serial Controller"},
        {{"", "", "", "Pico_2"}, "Pico 2"},
        {{"", "Silicon_Labs", "", ""}, "Silicon Labs"},
        {{"", "", "", ""}, ""}};
    for (const auto& [names, description] : udev)
        EXPECT_EQ(linux_adapter_description(names), description) << names.model;
    // Windows: the friendly name without its own port; a name ending in another port stays whole.
    const std::array<const char*, 3> windows[] = {
        {"USB Serial Port (COM3)", "COM3", "USB Serial Port"},
        {"USB Serial Port (COM3)", "COM13", "USB Serial Port (COM3)"},
        {"Standard Serial over Bluetooth link", "COM4", "Standard Serial over Bluetooth link"}};
    for (const auto& [friendly, port, description] : windows)
        EXPECT_EQ(windows_adapter_description(friendly, port), description) << friendly;
}

} // namespace
} // namespace tervalink
