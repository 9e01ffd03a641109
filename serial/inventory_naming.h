#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "port_discovery.h"

namespace tervalink {

// How the ports the system lists become inventory entries, named so that the "(COM" filter and
// port_entry work the same on both systems.

// What one port looks like to the system's own device list.
struct SerialDeviceFacts {
    std::string port_name;       // "ttyUSB0" or "COM3"
    std::string system_location; // "/dev/ttyUSB0" or "\\.\COM3"
    std::string description;     // what the adapter calls itself; empty when nothing is known
    std::string identity;        // its adapter's adapter_identity; empty when unknown
};

// Linux: "<description> (COM<n>)" with n from the fixed family rule; none outside the families.
// Without a description "Serial port".
std::optional<InventoryDevice> linux_inventory_device(const SerialDeviceFacts& facts);

// Windows: "<description> (COM3)", as the system's own device list shows it.
InventoryDevice windows_inventory_device(const SerialDeviceFacts& facts);

// The whole list in port-number order, so that a scan shows the ports in the same order every
// time whatever order the system found them in. Linux leaves out devices outside the families;
// Windows puts port names that are not "COMn" last.
std::vector<InventoryDevice> linux_inventory(std::vector<SerialDeviceFacts> ports);
std::vector<InventoryDevice> windows_inventory(std::vector<SerialDeviceFacts> ports);

// What udev knows of an adapter, each name from the hardware database when it knows the device,
// else as the adapter reports it (udev writes its blanks as underscores there).
struct UdevAdapterNames {
    std::string_view vendor_from_database;
    std::string_view vendor;
    std::string_view model_from_database;
    std::string_view model;
};

// "<vendor> <model>", either left out when unknown: "FTDI FT232R USB UART".
std::string linux_adapter_description(const UdevAdapterNames& names);

// The device manager's friendly name without the port it ends in: "USB Serial Port (COM3)" on
// COM3 is "USB Serial Port"; a name that does not end in its port stays whole.
std::string windows_adapter_description(std::string_view friendly_name, std::string_view port_name);

} // namespace tervalink
