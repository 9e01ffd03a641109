// serial/inventory_naming on Linux: how the ports udev reports are described, named and ordered.
#include <gtest/gtest.h>

#include "inventory_naming.h"
#include "inventory_naming_linux.h"
#include "listed_devices.h"

namespace tervalink {
namespace {

using Lines = std::vector<std::string>;
using test::listed;

TEST(InventoryNaming, InPortNumberOrder)
{
    // Which device gets which number is pinned by the naming tests. The system reports its
    // ports in an order of its own: ttyUSB10 before ttyUSB9.
    EXPECT_EQ(listed(inventory_of({{"ttyUSB10", "/dev/ttyUSB10", "FTDI FT232R USB UART", ""},
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
}

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
