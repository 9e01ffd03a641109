#include "inventory_naming.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "device_naming.h"

namespace tervalink {

namespace {

std::string adapter_description(const SerialDeviceFacts& facts)
{
    return facts.description.empty() ? "Serial port" : facts.description;
}

// "COM12" is 12; anything else (a driver may register its ports under names of its own) none.
std::optional<int> windows_port_number(std::string_view port_name)
{
    constexpr std::string_view prefix = "COM";
    if (!port_name.starts_with(prefix) || port_name.size() == prefix.size())
        return std::nullopt;
    int number = 0;
    const char* end = port_name.data() + port_name.size();
    const auto [stop, error] = std::from_chars(port_name.data() + prefix.size(), end, number);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return number;
}

// Ports without a number sort behind all numbered ones, then by name.
void sort_by_port_number(std::vector<SerialDeviceFacts>& ports,
                         std::optional<int> (*number_of)(std::string_view))
{
    const auto key = [number_of](const SerialDeviceFacts& port) {
        return std::pair(number_of(port.port_name).value_or(std::numeric_limits<int>::max()),
                         std::string_view(port.port_name));
    };
    std::sort(ports.begin(), ports.end(), [&](const SerialDeviceFacts& a, const SerialDeviceFacts& b) {
        return key(a) < key(b);
    });
}

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

std::optional<InventoryDevice> linux_inventory_device(const SerialDeviceFacts& facts)
{
    const auto port_number = port_number_for_device(facts.port_name);
    if (!port_number)
        return std::nullopt;
    std::string description = adapter_description(facts);
    std::string name = description + " (COM" + std::to_string(*port_number) + ")";
    return InventoryDevice{std::move(name), facts.system_location, std::move(description),
                           facts.identity};
}

InventoryDevice windows_inventory_device(const SerialDeviceFacts& facts)
{
    std::string description = adapter_description(facts);
    std::string name = description + " (" + facts.port_name + ")";
    return InventoryDevice{std::move(name), facts.system_location, std::move(description),
                           facts.identity};
}

std::vector<InventoryDevice> linux_inventory(std::vector<SerialDeviceFacts> ports)
{
    sort_by_port_number(ports, port_number_for_device);
    std::vector<InventoryDevice> devices;
    for (const SerialDeviceFacts& port : ports) {
        if (auto device = linux_inventory_device(port))
            devices.push_back(std::move(*device));
    }
    return devices;
}

std::vector<InventoryDevice> windows_inventory(std::vector<SerialDeviceFacts> ports)
{
    sort_by_port_number(ports, windows_port_number);
    std::vector<InventoryDevice> devices;
    for (const SerialDeviceFacts& port : ports)
        devices.push_back(windows_inventory_device(port));
    return devices;
}

std::string linux_adapter_description(const UdevAdapterNames& names)
{
    const std::string vendor = udev_name(names.vendor_from_database, names.vendor);
    const std::string model = udev_name(names.model_from_database, names.model);
    if (vendor.empty() || model.empty())
        return vendor + model;
    return vendor + " " + model;
}

std::string windows_adapter_description(std::string_view friendly_name, std::string_view port_name)
{
    const std::string suffix = " (" + std::string(port_name) + ")";
    if (friendly_name.size() > suffix.size() && friendly_name.ends_with(suffix))
        friendly_name.remove_suffix(suffix.size());
    return std::string(friendly_name);
}

} // namespace tervalink
