#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tervalink {

// What the system's device list says about one USB serial adapter that is plugged in. Each system
// fills what it knows; the reasoning below reads both systems' facts.
struct AdapterFacts {
    std::string name;            // vendor and model as the system names them
    std::string usb_id;          // "1a86:7523"
    std::string serial_number;   // empty when the adapter reports none
    std::string location;        // the path of hubs and sockets: "1-1.2", "Port_#0002.Hub_#0001"
    std::string driver;          // the driver bound to it; empty when none is
    std::vector<std::string> ports; // how the port box reaches each of its ports: "COM 100 (/dev/ttyUSB0)"
    std::vector<std::string> devices; // what opens each of them, in the same order: "/dev/ttyUSB0"
    std::string port_refusal;    // why this user cannot open its port; empty when it can
    // Linux
    bool claimed_by_brltty = false; // brltty's udev rule marked it for the braille daemon
    bool modem_probe = false;       // ModemManager runs and will probe its ttyACM port
    // Windows
    std::optional<unsigned> problem_code; // Device Manager's problem code
    std::string friendly_name;            // Device Manager's name, where drivers write warnings
    std::string hardware_id;              // "USB\VID_067B&PID_2303&REV_0300"
    std::string driver_version;           // "3.8.2023.2"
};

enum class AdapterCause {
    none,          // its port works
    port_refused,  // the port is there but this user may not open it
    blocked,       // no usable port: the sentence says why
    caution,       // a port is there, but may fail for the reason given
};

struct AdapterVerdict {
    AdapterCause cause = AdapterCause::none;
    std::string reason; // one sentence with the way out; empty for AdapterCause::none
};

// Which facts give which reason: pure, so both systems' facts are tested alike.
AdapterVerdict judge_adapter(const AdapterFacts& facts);

// "USB 0403:6001 serial A50285BI at 1-1.2": what tells two adapters apart even when the
// system gives them each other's port numbers.
std::string adapter_identity(const AdapterFacts& facts);

// Whether a USB interface's driver or a chip's USB ID belongs to a USB serial adapter.
bool is_serial_driver(std::string_view driver);
bool is_known_serial_chip(std::string_view usb_id);

// The reasons of the adapters that have one, in the system's order.
std::vector<std::string> adapter_reasons(const std::vector<AdapterFacts>& adapters);

// A failed open, followed by what the adapters say about it: "Cannot open COM 100 ...: no such
// device. A ... is plugged in, but brltty has claimed it: ...". Reasons that only repeat the
// failure (a refused permission names its way out already) are left out.
std::string with_adapter_reasons(const std::string& failure,
                                 const std::vector<AdapterFacts>& adapters);

} // namespace tervalink
