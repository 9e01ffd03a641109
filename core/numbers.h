#pragma once

#include <string_view>

namespace tervalink {

// The numeric value of a text: blanks, tabs and line feeds are removed wherever they stand; "&H" or
// "&O" introduce a hexadecimal or octal number; otherwise a leading decimal number with optional
// sign, fraction and exponent is read, "." always being the decimal point. Reading stops at the
// first character that cannot continue the number; no digit gives 0. A decimal number beyond the
// double range gives plus or minus infinity.
double numeric_value(std::string_view text);

// Whether the whole text, leading and trailing blanks dropped, is one finite decimal number:
// optional sign, digits with at most one ".", at least one digit, optional exponent.
bool is_numeric_text(std::string_view text);

// Nearest integer, a value exactly halfway going to the even neighbour (12.5 -> 12, 13.5 -> 14).
double round_half_even(double value);

} // namespace tervalink
