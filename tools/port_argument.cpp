#include "port_argument.h"

#include "adapter_survey.h"
#include "arguments.h"
#include "port_discovery.h"
#include "system_device_inventory.h"

namespace tervalink::frames_tool {

PortAddress resolve_port(const std::string& text, std::string_view device_root)
{
    if (is_device_path(text))
        return {text, text};
    if (!text.starts_with("COM"))
        throw UsageError("PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or a device "
                         "path such as " + port_address(100).device_path);
    return port_address(port_number_from_text(text), device_root);
}

std::string with_this_machines_adapter_reasons(const std::string& failure)
{
    SystemDeviceInventory inventory;
    return with_adapter_reasons(failure, surveyed_adapters(inventory));
}

} // namespace tervalink::frames_tool
