#include "inventory_naming.h"

#include <algorithm>
#include <limits>

namespace tervalink {

std::string listed_description(const SerialDeviceFacts& facts)
{
    return facts.description.empty() ? "Serial port" : facts.description;
}

std::vector<InventoryDevice> inventory_of(std::vector<SerialDeviceFacts> ports)
{
    const auto key = [](const SerialDeviceFacts& port) {
        return std::pair(listed_port_number(port.port_name).value_or(std::numeric_limits<int>::max()),
                         std::string_view(port.port_name));
    };
    std::sort(ports.begin(), ports.end(), [&](const SerialDeviceFacts& a, const SerialDeviceFacts& b) {
        return key(a) < key(b);
    });
    std::vector<InventoryDevice> devices;
    for (const SerialDeviceFacts& port : ports) {
        if (auto device = inventory_device(port))
            devices.push_back(std::move(*device));
    }
    return devices;
}

} // namespace tervalink
