#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tervalink {

// Where the serial devices live on this machine. Tests point a line at a folder of their own
// that holds pseudo-terminals under the family names.
inline constexpr std::string_view default_device_root = "/dev";

// device_path_for_port (serial_line.h) under another device root.
std::string device_path_for_port(std::int16_t port_number, std::string_view device_root);

// The port number that the fixed family rule gives a device name such as "ttyUSB7" (107); none
// for a device outside the families or beyond a family's hundred numbers.
std::optional<int> port_number_for_device(std::string_view device_name);

// "COM 107 (/dev/ttyUSB7)": how failures name a port, in the port box's words and the device's.
std::string port_label(std::int16_t port_number, std::string_view device_path);

} // namespace tervalink
