#pragma once

#include <iosfwd>
#include <span>
#include <string>

#include "port_discovery.h"

namespace tervalink::frames_tool {

// Lists the ports as "Scan Ports" would, one a line: "COM n", the device, what the adapter
// calls itself and its identity, separated by tabs; then on err a note for each adapter that has
// no usable port, or a port that may fail, and why. No ports, no lines; gives the exit status.
int run_ports(DeviceInventory& inventory, std::ostream& out, std::ostream& err);

// The ports subcommand: takes no arguments and lists this machine's ports.
int run_ports_on_this_machine(std::span<const std::string> args, std::ostream& out,
                              std::ostream& err);

} // namespace tervalink::frames_tool
