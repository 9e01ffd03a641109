#include "device_naming.h"

#include "failure.h"

namespace tervalink {

const std::string_view default_device_root = "";

// Windows opens every port, COM1 to COM9 and beyond, under the device namespace "\\.\".
PortAddress port_address(std::int16_t port_number, std::string_view /*device_root*/)
{
    if (port_number < 1)
        throw Failure("COM " + std::to_string(port_number) +
                      " names no port: Windows numbers its ports from COM 1");
    const std::string number = std::to_string(port_number);
    return {"\\\\.\\COM" + number, "COM " + number};
}

bool is_device_path(std::string_view text)
{
    return text.starts_with("\\\\.\\");
}

} // namespace tervalink
