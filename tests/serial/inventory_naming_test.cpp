// serial/inventory_naming: the ports in port-number order, whatever order the system reports them
// in; each system's ports come from inventory_naming_test_<system>.cpp.
#include <gtest/gtest.h>

#include "inventory_order.h"

namespace tervalink {
namespace {

TEST(InventoryNaming, InPortNumberOrder)
{
    std::vector<std::string> listed;
    for (const InventoryDevice& device : inventory_of(test::reported_ports))
        listed.push_back(*device.display_name + " " + device.device_path + " [" +
                         device.description + "]");
    EXPECT_EQ(listed, test::ports_in_order);
}

} // namespace
} // namespace tervalink
