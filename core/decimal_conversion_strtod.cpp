// For the C++ libraries without from_chars for double (libc++ 19 for wasm32-wasi): strtod, whose
// locale there is always "C".
#include <cerrno>
#include <cstdlib>
#include <string>

#include "decimal_conversion.h"

namespace tervalink {

std::optional<double> nearest_double(std::string_view number)
{
    const std::string text(number);
    errno = 0;
    const double value = std::strtod(text.c_str(), nullptr);
    if (errno == ERANGE)
        return std::nullopt;
    return value;
}

} // namespace tervalink
