#pragma once

#include <string>
#include <string_view>

namespace tervalink {

// The status line during and after an update.
inline constexpr std::string_view updating_status = "Updating ...   Please wait a few minutes.";
inline constexpr std::string_view completed_status = "Update has been completed.";
inline constexpr std::string_view error_status = "Error occurred during updating. Please try again.";

// Why an update's line failed, in the words every front end shows.
inline constexpr std::string_view closed_port_failure =
    "Cannot send to the antenna unit: the port is closed; press CONNECT and start the update again";
inline constexpr std::string_view device_gone_reason = "the device has gone (unplugged?)";

// "Cannot open COM 3 (/dev/ttyUSB2): it is in use by another program"
inline std::string cannot_open_failure(std::string_view port, std::string_view reason)
{
    return "Cannot open " + std::string(port) + ": " + std::string(reason);
}

// "Cannot send to COM 3 (/dev/ttyUSB2): the device has gone (unplugged?)"
inline std::string cannot_send_failure(std::string_view port, std::string_view reason)
{
    return "Cannot send to " + std::string(port) + ": " + std::string(reason);
}

} // namespace tervalink
