#pragma once

#include "port_discovery.h"

namespace tervalink {

// The serial ports of this machine as the system itself lists them (udev on Linux; the registry
// and the device manager on Windows), in port-number order.
class SystemDeviceInventory : public DeviceInventory {
public:
    std::vector<InventoryDevice> devices() override;
};

} // namespace tervalink
