#pragma once

#include <optional>
#include <string>
#include <vector>

#include "failure.h"
#include "port_discovery.h"

namespace tervalink::test {

// Devices as the system's inventory would list them; or, when `failure` holds a description, an
// inventory that cannot be read.
struct FakeInventory : DeviceInventory {
    std::vector<InventoryDevice> devices() override
    {
        if (failure)
            throw Failure(*failure);
        return listed;
    }
    std::vector<InventoryDevice> listed;
    std::optional<std::string> failure;
};

} // namespace tervalink::test
