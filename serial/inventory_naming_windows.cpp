#include "inventory_naming.h"
#include "inventory_naming_windows.h"

#include <charconv>

namespace tervalink {

// "COM12" is 12; anything else (a driver may register its ports under names of its own) none.
std::optional<int> listed_port_number(std::string_view port_name)
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

// "<description> (COM3)", as the system's own device list shows it; every port is listed.
std::optional<InventoryDevice> inventory_device(const SerialDeviceFacts& facts)
{
    std::string description = listed_description(facts);
    std::string name = description + " (" + facts.port_name + ")";
    return InventoryDevice{std::move(name), facts.system_location, std::move(description),
                           facts.identity};
}

std::string adapter_description_from_friendly_name(std::string_view friendly_name,
                                                   std::string_view port_name)
{
    const std::string suffix = " (" + std::string(port_name) + ")";
    if (friendly_name.size() > suffix.size() && friendly_name.ends_with(suffix))
        friendly_name.remove_suffix(suffix.size());
    return std::string(friendly_name);
}

} // namespace tervalink
