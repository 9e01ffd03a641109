#pragma once
// Linux: the fixed device families behind port numbers (1-99 ttyS, 100-199 ttyUSB, 200-299
// ttyACM, 300-399 ttyAMA, 400-499 rfcomm), which the line and discovery both follow.
#include <optional>
#include <string>
#include <string_view>

namespace tervalink {

// The port number that the fixed family rule gives a Linux device name such as "ttyUSB7" (107);
// none for a device outside the families or beyond a family's hundred numbers.
std::optional<int> port_number_for_device(std::string_view device_name);

// The Linux device name of a port number ("ttyUSB7" for 107); none outside the families.
std::optional<std::string> device_name_for_port(int port_number);

} // namespace tervalink
