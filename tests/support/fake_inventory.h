#pragma once

#include <optional>
#include <string>
#include <vector>

#include "failure.h"
#include "port_discovery.h"

namespace tervalink::test {

// Devices and adapters as the system's inventory would list them; or, when `failure` holds a
// description, an inventory that cannot be read.
struct FakeInventory : DeviceInventory {
    std::vector<InventoryDevice> devices() override
    {
        if (failure)
            throw Failure(*failure);
        return listed;
    }
    std::vector<AdapterFacts> adapters() override
    {
        if (failure)
            throw Failure(*failure);
        return plugged_in;
    }
    // Devices named as a platform names its ports, each on a test device.
    void list_names(const std::vector<std::string>& names)
    {
        listed.clear();
        for (const std::string& name : names)
            listed.push_back({name, "/dev/ttyTEST", "test adapter", ""});
    }
    std::vector<InventoryDevice> listed;
    std::vector<AdapterFacts> plugged_in;
    std::optional<std::string> failure;
};

// An FTDI adapter (USB 0403:6001) with the given serial number, socket and ports.
inline AdapterFacts ftdi(const std::string& serial, const std::string& location,
                         const std::vector<std::string>& devices)
{
    AdapterFacts facts;
    facts.usb_id = "0403:6001", facts.serial_number = serial, facts.location = location, facts.devices = devices;
    return facts;
}

} // namespace tervalink::test
