#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tervalink {

// The COM-number rule: how "COM n" in the port box becomes a port number, which device a port
// number opens, and which port number a present device is listed under.

// Where the serial devices live on this machine. Tests point a line at a folder of their own
// that holds pseudo-terminals under the family names.
inline constexpr std::string_view default_device_root = "/dev";

// The port number of a port box text: the numeric value of everything after its first four
// characters, rounded half to even; too short or outside the 16-bit range throws Failure.
std::int16_t port_number_from_text(std::string_view port_box_text);

// The device a port number opens: "COM n" on Windows; on Linux the fixed family rule
// (1-99 ttyS, 100-199 ttyUSB, 200-299 ttyACM, 300-399 ttyAMA, 400-499 rfcomm) under the device
// root. Throws Failure for a number that names no port.
std::string device_path_for_port(std::int16_t port_number,
                                 std::string_view device_root = default_device_root);

// The port number that the fixed family rule gives a device name such as "ttyUSB7" (107); none
// for a device outside the families or beyond a family's hundred numbers.
std::optional<int> port_number_for_device(std::string_view device_name);

// "COM 107 (/dev/ttyUSB7)": how failures name a port, in the port box's words and the device's.
std::string port_label(std::int16_t port_number, std::string_view device_path);

} // namespace tervalink
