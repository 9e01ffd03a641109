#include "port_discovery.h"

#include "failure.h"

namespace tervalink {

namespace {

constexpr std::string_view reference_start = "(COM";

// Appends every name containing "(COM" to port_names and returns the devices they came from, in
// the same order.
std::vector<const InventoryDevice*> select_into(const std::vector<InventoryDevice>& devices,
                                                PortNames& names)
{
    std::vector<const InventoryDevice*> selected;
    for (const InventoryDevice& device : devices) {
        if (!device.display_name || device.display_name->find(reference_start) == std::string::npos)
            continue;
        // port_count stays within the array, so the names it counts can always be read.
        if (names.port_count >= static_cast<std::int16_t>(names.port_names.size()))
            throw Failure("Subscript out of range: more than 100 serial ports were found; "
                          "unplug the adapters you do not need and scan again");
        names.port_names[static_cast<std::size_t>(names.port_count)] = *device.display_name;
        ++names.port_count;
        selected.push_back(&device);
    }
    return selected;
}

} // namespace

std::optional<std::string> port_entry(std::string_view name)
{
    const std::size_t start = name.find(reference_start);
    if (start == std::string_view::npos)
        return std::nullopt;
    const std::size_t number_start = start + reference_start.size();
    const std::size_t end = name.find(')', number_start);
    if (end == std::string_view::npos)
        return std::nullopt;
    return "COM " + std::string(name.substr(number_start, end - number_start));
}

std::vector<AdapterFacts> surveyed_adapters(DeviceInventory& inventory)
{
    try {
        return inventory.adapters();
    } catch (const std::exception&) {
        return {};
    }
}

std::vector<PortEntry> scan_ports(DeviceInventory& inventory, PortNames& names)
{
    names.port_count = 0;
    const std::vector<InventoryDevice> devices = inventory.devices();
    const std::vector<const InventoryDevice*> selected = select_into(devices, names);
    std::vector<PortEntry> entries;
    for (std::size_t n = 0; n < selected.size(); ++n) {
        if (auto text = port_entry(names.port_names[n]))
            entries.push_back({std::move(*text), selected[n]->device_path, selected[n]->description,
                               selected[n]->identity});
    }
    return entries;
}

} // namespace tervalink
