#include "device_naming.h"

#include "failure.h"

namespace tervalink {

const std::string_view default_device_root = "/dev";

PortAddress port_address(std::int16_t port_number, std::string_view device_root)
{
    const auto name = device_name_for_port(port_number);
    if (!name)
        throw Failure("COM " + std::to_string(port_number) +
                      " names no port: use COM 1-99 for /dev/ttyS0-98, COM 100-199 for "
                      "/dev/ttyUSB0-99, COM 200-299 for /dev/ttyACM0-99, COM 300-399 for "
                      "/dev/ttyAMA0-99 or COM 400-499 for /dev/rfcomm0-99");
    std::string path = std::string(device_root) + "/" + *name;
    std::string label = "COM " + std::to_string(port_number) + " (" + path + ")";
    return {std::move(path), std::move(label)};
}

bool is_device_path(std::string_view text)
{
    return text.starts_with("/");
}

} // namespace tervalink
