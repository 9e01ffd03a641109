#include "device_naming.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>

#include "failure.h"
#include "numbers.h"
#include "text.h"

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

constexpr std::size_t prefix_characters = 4; // "COM "

std::string quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

std::string no_port_description(std::int16_t port_number)
{
    return "COM " + std::to_string(port_number) +
           " names no port: use COM 1-99 for /dev/ttyS0-98, COM 100-199 for /dev/ttyUSB0-99, "
           "COM 200-299 for /dev/ttyACM0-99, COM 300-399 for /dev/ttyAMA0-99 or "
           "COM 400-499 for /dev/rfcomm0-99";
}

} // namespace

std::int16_t port_number_from_text(std::string_view port_box_text)
{
    if (character_count(port_box_text) < prefix_characters)
        throw Failure("The port box text " + quoted(port_box_text) +
                      " holds no port number; pick a port from the list or type one such as "
                      "\"COM 100\"");
    const std::size_t prefix_bytes = limit_characters(port_box_text, prefix_characters).size();
    const double number = round_half_even(numeric_value(port_box_text.substr(prefix_bytes)));
    // The negated test also refuses a NaN.
    if (!(number >= std::numeric_limits<std::int16_t>::min() &&
          number <= std::numeric_limits<std::int16_t>::max()))
        throw Failure("The port box text " + quoted(port_box_text) +
                      " names no port: its number does not fit -32768..32767");
    return static_cast<std::int16_t>(number);
}

std::string device_path_for_port(std::int16_t port_number, std::string_view device_root)
{
#ifdef _WIN32
    (void)device_root;
    if (port_number < 1)
        throw Failure("COM " + std::to_string(port_number) + " names no port");
    return "COM" + std::to_string(port_number);
#else
    for (const DeviceFamily& family : linux_families) {
        const int index = port_number - family.first_port;
        if (index >= 0 && index < family.device_count)
            return std::string(device_root) + "/" + std::string(family.name_prefix) +
                   std::to_string(index);
    }
    throw Failure(no_port_description(port_number));
#endif
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

std::string port_label(std::int16_t port_number, std::string_view device_path)
{
    return "COM " + std::to_string(port_number) + " (" + std::string(device_path) + ")";
}

} // namespace tervalink
