#include "device_naming.h"

#include <limits>

#include "failure.h"
#include "numbers.h"
#include "text.h"

namespace tervalink {

namespace {

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

} // namespace tervalink
