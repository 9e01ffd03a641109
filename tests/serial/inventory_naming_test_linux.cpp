// serial/inventory_naming on Linux: how the ports udev reports are described, and the ports whose
// order inventory_naming_test.cpp checks.
#include <gtest/gtest.h>

#include "inventory_naming_linux.h"
#include "inventory_order.h"

namespace tervalink {

// Which device gets which number is pinned by the naming tests. The system reports ttyUSB10
// before ttyUSB9.
const std::vector<SerialDeviceFacts> test::reported_ports = {
    {"ttyUSB10", "/dev/ttyUSB10", "FTDI FT232R USB UART", ""},
    {"ttyACM3", "/dev/ttyACM3", "Arduino Uno", ""},
    {"ttyUSB100", "/dev/ttyUSB100", "X", ""},
    {"ttyS1", "/dev/ttyS1", "", ""},
    {"ttyUSB9", "/dev/ttyUSB9", "Prolific PL2303", ""},
    {"ttyS0", "/dev/ttyS0", "", ""}};
const std::vector<std::string> test::ports_in_order = {
    "Serial port (COM1) /dev/ttyS0 [Serial port]",
    "Serial port (COM2) /dev/ttyS1 [Serial port]",
    "Prolific PL2303 (COM109) /dev/ttyUSB9 [Prolific PL2303]",
    "FTDI FT232R USB UART (COM110) /dev/ttyUSB10 [FTDI FT232R USB UART]",
    "Arduino Uno (COM203) /dev/ttyACM3 [Arduino Uno]"};

namespace {

TEST(InventoryNaming, AdapterDescriptionsFromUdev)
{
    // The hardware database's names, else the adapter's own IDs.
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
        EXPECT_EQ(adapter_description_from_udev(names), description) << names.model;
}

} // namespace
} // namespace tervalink
