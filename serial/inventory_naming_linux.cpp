#include "inventory_naming.h"
#include "inventory_naming_linux.h"

#include <algorithm>

#include "device_naming_linux.h"

namespace tervalink {

namespace {

// udev's own IDs stand in for blanks with underscores ("FT232R_USB_UART").
std::string udev_name(std::string_view from_database, std::string_view raw)
{
    if (!from_database.empty())
        return std::string(from_database);
    std::string name(raw);
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

} // namespace

// The fixed family rule: ttyUSB7 is 107.
std::optional<int> listed_port_number(std::string_view port_name)
{
    return port_number_for_device(port_name);
}

// "<description> (COM<n>)"; a device outside the families is left out.
std::optional<InventoryDevice> inventory_device(const SerialDeviceFacts& facts)
{
    const auto port_number = port_number_for_device(facts.port_name);
    if (!port_number)
        return std::nullopt;
    std::string description = listed_description(facts);
    std::string name = description + " (COM" + std::to_string(*port_number) + ")";
    return InventoryDevice{std::move(name), facts.system_location, std::move(description),
                           facts.identity};
}

std::string adapter_description_from_udev(const UdevAdapterNames& names)
{
    const std::string vendor = udev_name(names.vendor_from_database, names.vendor);
    const std::string model = udev_name(names.model_from_database, names.model);
    if (vendor.empty() || model.empty())
        return vendor + model;
    return vendor + " " + model;
}

} // namespace tervalink
