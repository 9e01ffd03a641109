#pragma once

#include <string>
#include <vector>

#include "port_discovery.h"

namespace tervalink::test {

// Each device as "<display name> <path> [<description>]".
inline std::vector<std::string> listed(const std::vector<InventoryDevice>& devices)
{
    std::vector<std::string> lines;
    for (const InventoryDevice& device : devices)
        lines.push_back(*device.display_name + " " + device.device_path + " [" +
                        device.description + "]");
    return lines;
}

} // namespace tervalink::test
