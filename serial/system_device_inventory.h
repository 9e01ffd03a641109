#pragma once

#include <functional>

#include "port_discovery.h"

namespace tervalink {

// The serial ports of this machine as the system itself lists them (udev on Linux; the registry
// and the device manager on Windows), in port-number order, and the USB serial adapters plugged
// in, each with its ports or the reason it has none.
class SystemDeviceInventory : public DeviceInventory {
public:
    // modem_prober_runs tells whether a program probes new serial ports as modems (ModemManager
    // on Linux); without one, the system is asked.
    explicit SystemDeviceInventory(std::function<bool()> modem_prober_runs = {});
    std::vector<InventoryDevice> devices() override;
    std::vector<AdapterFacts> adapters() override;

private:
    std::function<bool()> modem_prober_runs_;
};

} // namespace tervalink
