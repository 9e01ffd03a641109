#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tervalink {

// The COM-number rule: how "COM n" in the port box becomes a port number, which device a port
// number opens and how messages name it. Which port number a present device is listed under is
// the system's own (device_naming_linux.h; inventory_naming_windows.cpp).

// Where the serial devices live: "/dev" on Linux; Windows names its ports without a folder.
// Tests point a line at a folder of their own that holds pseudo-terminals under the family names.
extern const std::string_view default_device_root;

// The port number of a port box text: the numeric value of everything after its first four
// characters ("COM 12" is 12), rounded half to even; "COM" followed at once by a digit is read
// from that digit ("COM12" is 12, as Windows writes it). Too short or outside the 16-bit range
// throws Failure.
std::int16_t port_number_from_text(std::string_view port_box_text);

// What a port number opens and how messages name it.
struct PortAddress {
    std::string device_path; // "/dev/ttyUSB7", or "\\.\COM107" on Windows
    std::string label;       // "COM 107 (/dev/ttyUSB7)", or "COM 107" on Windows
};

// The device of a port number: "\\.\COMn" on Windows; on Linux the fixed family rule
// (1-99 ttyS, 100-199 ttyUSB, 200-299 ttyACM, 300-399 ttyAMA, 400-499 rfcomm) under the device
// root. Throws Failure for a number that names no port.
PortAddress port_address(std::int16_t port_number,
                         std::string_view device_root = default_device_root);

// Whether a PORT argument names a device directly rather than as "COM n": a path from the root
// ("/dev/ttyUSB0") on Linux, "\\.\COM3" on Windows.
bool is_device_path(std::string_view text);

} // namespace tervalink
