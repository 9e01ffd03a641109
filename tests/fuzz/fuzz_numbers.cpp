// Arbitrary texts for the numeric rules shared by the checks and the encoders, and arbitrary
// doubles for the rounding. Each property is one a wrong reading would break.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "numbers.h"

namespace {

void require(bool holds, const char* property, std::string_view text)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz_numbers: property broken: %s, text \"%.*s\"\n", property,
                 static_cast<int>(text.size()), text.data());
    std::abort();
}

std::string without_blanks(std::string_view text)
{
    std::string compact;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\n')
            compact += c;
    return compact;
}

bool same_value(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void check_numeric_value(std::string_view text)
{
    const double value = tervalink::numeric_value(text);
    require(!std::isnan(value), "numeric value is never NaN", text);
    const std::string compact = without_blanks(text);
    require(same_value(tervalink::numeric_value(compact), value), "blanks do not matter", text);
    require(same_value(tervalink::numeric_value(std::string(text) + "x"), value),
            "reading stops before a character that cannot continue a number", text);
    if (!text.empty() && text[0] >= '0' && text[0] <= '9')
        require(tervalink::numeric_value("-" + std::string(text)) == -value,
                "a minus sign negates", text);

    if (!tervalink::is_numeric_text(text))
        return;
    require(std::isfinite(value), "a numeric text has a finite value", text);
    // strtod reads the C locale's "." and is correctly rounded: the value a numeric text must have.
    char* end = nullptr;
    const double expected = std::strtod(compact.c_str(), &end);
    require(end == compact.c_str() + compact.size(), "a numeric text is one whole number", text);
    require(value == expected, "a numeric text reads as its decimal number", text);
}

void check_rounding(double value, std::string_view text)
{
    // nearbyint in the default rounding mode gives the integral value nearest, halves to the even
    // neighbour, and leaves infinities and NaN as they are.
    require(same_value(tervalink::round_half_even(value), std::nearbyint(value)),
            "rounds to the nearest integer, halves to even; infinities and NaN stay", text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    check_numeric_value(text);
    check_rounding(tervalink::numeric_value(text), text);
    if (size >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        check_rounding(raw, text);
        check_rounding(raw / 1024 + 0.5, text);
    }
    return 0;
}
