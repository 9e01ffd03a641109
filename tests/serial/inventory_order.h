#pragma once
// Each system's ports as it reports them, in an order of its own, and as inventory_of must list
// them, "<display name> <path> [<description>]" (inventory_naming_test_<system>.cpp).
#include <string>
#include <vector>

#include "inventory_naming.h"

namespace tervalink::test {

extern const std::vector<SerialDeviceFacts> reported_ports;
extern const std::vector<std::string> ports_in_order;

} // namespace tervalink::test
