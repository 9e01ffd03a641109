#include "ports.h"

#include <ostream>

#include "arguments.h"
#include "exit_codes.h"
#include "failure.h"
#include "system_device_inventory.h"

namespace tervalink::frames_tool {

int run_ports(DeviceInventory& inventory, std::ostream& out, std::ostream& err)
{
    PortNames names;
    std::vector<PortEntry> entries;
    try {
        entries = scan_ports(inventory, names);
    } catch (const Failure& failure) {
        err << failure.what() << '\n';
        return exit_failure;
    }
    for (const PortEntry& entry : entries)
        out << entry.text << '\t' << entry.device_path << '\t' << entry.description << '\t'
            << entry.identity << '\n';
    for (const std::string& reason : adapter_reasons(surveyed_adapters(inventory)))
        err << "tervalink-frames: note: " << reason << '\n';
    return exit_done;
}

int run_ports_on_this_machine(std::span<const std::string> args, std::ostream& out,
                              std::ostream& err)
{
    if (!args.empty())
        throw UsageError("ports takes no arguments");
    SystemDeviceInventory inventory;
    return run_ports(inventory, out, err);
}

} // namespace tervalink::frames_tool
