#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "adapter_survey.h"

namespace tervalink {

// One present device as the platform's inventory reports it.
struct InventoryDevice {
    std::optional<std::string> display_name; // e.g. "USB Serial Port (COM100)"; none when unnamed
    std::string device_path;                 // e.g. "/dev/ttyUSB0"
    std::string description;                 // what the adapter says it is
    std::string identity;                    // its adapter's adapter_identity; empty when unknown
};

// The platform's device inventory: every present device, in the platform's order.
class DeviceInventory {
public:
    virtual ~DeviceInventory() = default;
    virtual std::vector<InventoryDevice> devices() = 0; // throws Failure when it cannot be queried
    // The USB serial adapters plugged in, with or without a port; throws Failure likewise.
    virtual std::vector<AdapterFacts> adapters() = 0;
};

// The display names found by the last discovery; entries behind port_count are stale.
struct PortNames {
    std::array<std::string, 100> port_names;
    std::int16_t port_count = 0;
};

// "COM " + everything between the first "(COM" and the first ")" behind it; none without both.
std::optional<std::string> port_entry(std::string_view name);

struct PortEntry {
    std::string text;        // "COM 107"
    std::string device_path; // for the tooltip
    std::string description; // for the tooltip
    std::string identity;    // for the tooltip
};

// The inventory's adapters; none when the system cannot say. The adapters only explain a missing
// port, so a survey that fails must not stand in the way of the ports that are there.
std::vector<AdapterFacts> surveyed_adapters(DeviceInventory& inventory);

// "Scan Ports": port_count = 0, every name containing "(COM" into port_names (more than 100
// throws Failure), then the port entries in inventory order.
std::vector<PortEntry> scan_ports(DeviceInventory& inventory, PortNames& names);

} // namespace tervalink
