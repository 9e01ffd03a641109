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

// Where the number starts: after the first four characters, or right after "COM" when a digit
// follows it, so that "COM12" does not open COM 2.
std::size_t number_start(std::string_view text)
{
    if (text.size() > 3 && text.starts_with("COM") && text[3] >= '0' && text[3] <= '9')
        return 3;
    return limit_characters(text, prefix_characters).size();
}

} // namespace

std::int16_t port_number_from_text(std::string_view port_box_text)
{
    if (character_count(port_box_text) < prefix_characters)
        throw Failure("The port box text " + quoted(port_box_text) +
                      " holds no port number; pick a port from the list or type one such as "
                      "\"COM 100\"");
    const double number =
        round_half_even(numeric_value(port_box_text.substr(number_start(port_box_text))));
    // The negated test also refuses a NaN.
    if (!(number >= std::numeric_limits<std::int16_t>::min() &&
          number <= std::numeric_limits<std::int16_t>::max()))
        throw Failure("The port box text " + quoted(port_box_text) +
                      " names no port: its number does not fit -32768..32767");
    return static_cast<std::int16_t>(number);
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
