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

// The whole list in port-number order, so that a scan shows the ports in the same order every
// time whatever order the system found them in; ports without a number come last, by name.
std::vector<InventoryDevice> inventory_of(std::vector<SerialDeviceFacts> ports);

// The adapter's description, or "Serial port" when it gave none.
std::string listed_description(const SerialDeviceFacts& facts);

// Each system's own rules (inventory_naming_linux.cpp, inventory_naming_windows.cpp):
// the number a port is listed under, none when its name carries none;
std::optional<int> listed_port_number(std::string_view port_name);
// and the entry a port is listed as, none for a port the list leaves out.
std::optional<InventoryDevice> inventory_device(const SerialDeviceFacts& facts);

} // namespace tervalink
