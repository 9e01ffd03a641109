#pragma once

#include <optional>
#include <string_view>

namespace tervalink {

// The nearest double to a scanned, sign-less decimal number ("12.5", "3E-2"), in the C locale;
// std::nullopt when the number lies beyond double's range, either way.
std::optional<double> nearest_double(std::string_view number);

} // namespace tervalink
