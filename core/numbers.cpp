#include "numbers.h"

#include <cmath>
#include <limits>
#include <string>

#include "decimal_conversion.h"

namespace tervalink {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The extent of a decimal number at the start of `text`: [sign] digits [. digits] [E [sign] digits].
struct DecimalScan {
    std::size_t end = 0;          // one past the last character that belongs to the number
    std::size_t mantissa_end = 0; // where the exponent (if any) begins
    bool has_digit = false;
};

std::size_t skip_digits(std::string_view text, std::size_t pos)
{
    while (pos < text.size() && is_digit(text[pos]))
        ++pos;
    return pos;
}

DecimalScan scan_decimal(std::string_view text)
{
    DecimalScan scan;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
        ++pos;
    const std::size_t int_start = pos;
    pos = skip_digits(text, pos);
    scan.has_digit = pos > int_start;
    if (pos < text.size() && text[pos] == '.') {
        const std::size_t frac_start = ++pos;
        pos = skip_digits(text, pos);
        scan.has_digit = scan.has_digit || pos > frac_start;
    }
    scan.mantissa_end = pos;
    scan.end = pos;
    if (!scan.has_digit || pos >= text.size() || (text[pos] != 'E' && text[pos] != 'e'))
        return scan;
    std::size_t exp_pos = pos + 1;
    if (exp_pos < text.size() && (text[exp_pos] == '+' || text[exp_pos] == '-'))
        ++exp_pos;
    const std::size_t exp_digits_end = skip_digits(text, exp_pos);
    if (exp_digits_end > exp_pos)
        scan.end = exp_digits_end; // an "E" without digits is not part of the number
    return scan;
}

// Decimal exponent of the leading digit, used only to tell overflow from underflow.
long magnitude_of(std::string_view number, std::size_t mantissa_end)
{
    long exponent = 0;
    if (mantissa_end < number.size()) {
        std::size_t pos = mantissa_end + 1;
        const bool negative = number[pos] == '-';
        if (number[pos] == '+' || number[pos] == '-')
            ++pos;
        for (; pos < number.size() && exponent < 1'000'000; ++pos)
            exponent = exponent * 10 + (number[pos] - '0');
        if (negative)
            exponent = -exponent;
    }
    const std::string_view mantissa = number.substr(0, mantissa_end);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return std::numeric_limits<long>::min(); // all zeros: no overflow possible
    const long leading = first < point ? static_cast<long>(point - first - 1)
                                       : -static_cast<long>(first - point);
    return leading + exponent;
}

// Converts an already scanned, sign-less decimal number; the conversion never sees anything the
// rules reject ("inf", "nan", hex floats).
double convert_unsigned_decimal(std::string_view number, std::size_t mantissa_end)
{
    if (const std::optional<double> value = nearest_double(number))
        return *value;
    return magnitude_of(number, mantissa_end) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

double decimal_value(std::string_view text, const DecimalScan& scan)
{
    if (!scan.has_digit)
        return 0;
    const bool has_sign = text[0] == '+' || text[0] == '-';
    const std::size_t skip = has_sign ? 1 : 0;
    const double magnitude =
        convert_unsigned_decimal(text.substr(skip, scan.end - skip), scan.mantissa_end - skip);
    return text[0] == '-' ? -magnitude : magnitude;
}

int digit_value(char c)
{
    if (is_digit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// "&H1F" and "&O17": unsigned, reading stops at the first character that is no digit of the base.
double prefixed_value(std::string_view digits, int base)
{
    double value = 0;
    for (char c : digits) {
        const int digit = digit_value(c);
        if (digit >= base)
            break;
        value = value * base + digit;
    }
    return value;
}

std::string without_blanks(std::string_view text)
{
    std::string compact;
    compact.reserve(text.size());
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            compact.push_back(c);
    return compact;
}

} // namespace

double numeric_value(std::string_view text)
{
    const std::string compact = without_blanks(text);
    const std::string_view view = compact;
    if (view.size() >= 2 && view[0] == '&') {
        if (view[1] == 'H' || view[1] == 'h')
            return prefixed_value(view.substr(2), 16);
        if (view[1] == 'O' || view[1] == 'o')
            return prefixed_value(view.substr(2), 8);
    }
    return decimal_value(view, scan_decimal(view));
}

bool is_numeric_text(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return false;
    const std::size_t last = text.find_last_not_of(' ');
    const std::string_view trimmed = text.substr(first, last - first + 1);
    const DecimalScan scan = scan_decimal(trimmed);
    return scan.has_digit && scan.end == trimmed.size() &&
           std::isfinite(decimal_value(trimmed, scan));
}

double round_half_even(double value)
{
    if (!std::isfinite(value))
        return value;
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

} // namespace tervalink
