#include "device_naming.h"
#include "device_naming_linux.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "failure.h"

namespace tervalink {

namespace {

struct DeviceFamily {
    std::string_view name_prefix;
    int first_port;
    int device_count;
};

// Fixed, so that a port number never depends on which other adapters are plugged in.
constexpr std::array<DeviceFamily, 5> linux_families{{
    {"ttyS", 1, 99},
    {"ttyUSB", 100, 100},
    {"ttyACM", 200, 100},
    {"ttyAMA", 300, 100},
    {"rfcomm", 400, 100},
}};

std::optional<int> parse_device_index(std::string_view digits)
{
    const bool leading_zero = digits.size() > 1 && digits.front() == '0';
    const bool all_digits = std::all_of(digits.begin(), digits.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
    if (digits.empty() || leading_zero || !all_digits)
        return std::nullopt;
    int index = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return index;
}

} // namespace

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

std::optional<int> port_number_for_device(std::string_view device_name)
{
    for (const DeviceFamily& family : linux_families) {
        if (!device_name.starts_with(family.name_prefix))
            continue;
        const auto index = parse_device_index(device_name.substr(family.name_prefix.size()));
        if (index && *index < family.device_count)
            return family.first_port + *index;
    }
    return std::nullopt;
}

std::optional<std::string> device_name_for_port(int port_number)
{
    for (const DeviceFamily& family : linux_families) {
        const int index = port_number - family.first_port;
        if (index >= 0 && index < family.device_count)
            return std::string(family.name_prefix) + std::to_string(index);
    }
    return std::nullopt;
}

} // namespace tervalink
