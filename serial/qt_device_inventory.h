#pragma once

#include <optional>
#include <string_view>

#include "port_discovery.h"

namespace tervalink {

// The machine's serial devices as Qt lists them, named so that the "(COM" filter and port_entry
// work the same on every platform.
class QtDeviceInventory : public DeviceInventory {
public:
    std::vector<InventoryDevice> devices() override;
};

// What one device looks like to the inventory: Qt's port name ("ttyUSB0" or "COM3"), its full
// path, and what the adapter says about itself.
struct SerialDeviceFacts {
    std::string_view port_name;
    std::string_view system_location;
    std::string_view description;
    std::string_view manufacturer;
};

// Linux: "<description> (COM<n>)" with n from the fixed family rule; none outside the families.
// Without a description the manufacturer names the device, without either "Serial port".
std::optional<InventoryDevice> linux_inventory_device(const SerialDeviceFacts& facts);

// Windows: "<description> (COM3)", as the system's own device list shows it.
InventoryDevice windows_inventory_device(const SerialDeviceFacts& facts);

} // namespace tervalink
