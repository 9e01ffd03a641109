#pragma once

#include <optional>
#include <string>
#include <vector>

#include "failure.h"
#include "port_discovery.h"

namespace tervalink::test {

// Device names as a platform inventory would give them; or a failure when asked.
class FakeInventory : public DeviceInventory {
public:
    std::vector<InventoryDevice> devices() override
    {
        if (failure)
            throw Failure(*failure);
        return listed;
    }

    std::vector<InventoryDevice> listed;
    std::optional<std::string> failure;
};

inline InventoryDevice named_device(const std::string& display_name)
{
    return {display_name, "/dev/x", "adapter"};
}

} // namespace tervalink::test
