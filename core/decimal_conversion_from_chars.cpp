#include <charconv>

#include "decimal_conversion.h"

namespace tervalink {

std::optional<double> nearest_double(std::string_view number)
{
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        return std::nullopt;
    return value;
}

} // namespace tervalink
