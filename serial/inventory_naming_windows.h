#pragma once
// Windows: how an adapter is described from the device manager's name for it.
#include <string>
#include <string_view>

namespace tervalink {

// The device manager's friendly name without the port it ends in: "USB Serial Port (COM3)" on
// COM3 is "USB Serial Port"; a name that does not end in its port stays whole.
std::string adapter_description_from_friendly_name(std::string_view friendly_name,
                                                   std::string_view port_name);

} // namespace tervalink
