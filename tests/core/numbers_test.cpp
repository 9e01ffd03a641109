// The numbers in the table's texts: values, numeric texts, rounding.
#include <limits>

#include <gtest/gtest.h>

#include "numbers.h"

namespace tervalink {
namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

TEST(Numbers, ValueReadsTheLeadingNumberTextIsOnlyAWholeDecimalNumberAndHalvesGoToTheEvenNeighbour)
{
    const struct { const char* text; double value; } values[] = {
        {"11778", 11778}, {"11778 MHz", 11778}, {"1 1778", 11778}, {"", 0}, {"abc", 0}, {"12.5", 12.5}, {"1,000", 1}, {" \t\n42\t", 42},
        {"1\r2", 1}, {"-5", -5}, {"+7", 7}, {"-", 0}, {".", 0}, {".5", 0.5}, {"5.", 5}, {"1e3", 1000}, {"1E+3", 1000}, {"25e-1", 2.5},
        {"1e", 1}, {"1e+", 1}, {"1ex", 1}, {"1.2.3", 1.2}, {"3x", 3}, {"&H1F", 31}, {"&hff", 255}, {"&O17", 15}, {"&o8", 0}, {"&H", 0},
        {"&HFFFF", 65535}, {"& H10", 16}, {"0x10", 0}, {"inf", 0}, {"nan", 0}, {"1e-400", 0}, {"1D3", 1}, {"0.1e1", 1},
        {"1e400", inf}, {"-1e400", -inf}, {"0.000001e309", 1e303}, {"00000e999", 0}};
    for (const auto& c : values)
        EXPECT_EQ(numeric_value(c.text), c.value) << '"' << c.text << '"';
    const struct { const char* text; bool numeric; } texts[] = {
        {"12", true}, {" 12 ", true}, {"-0", true}, {"+3.5", true}, {".5", true}, {"5.", true}, {"1e3", true}, {"1E-3", true},
        {"1e-400", true}, {"", false}, {"   ", false}, {"12a", false}, {"1.2.3", false}, {"-", false}, {".", false}, {"1 2", false},
        {"1e400", false}, {"1e", false}, {"e3", false}, {"0x10", false}, {"inf", false}, {"nan", false}, {"&H10", false},
        {"\t12", false}, {"12-", false}, {"(12)", false}, {"1,000", false}, {"+-1", false}};
    for (const auto& c : texts)
        EXPECT_EQ(is_numeric_text(c.text), c.numeric) << '"' << c.text << '"';
    const struct { double in, out; } roundings[] = {{12.5, 12}, {13.5, 14}, {0.5, 0}, {-0.4, 0}, {-0.5, 0}, {-1.5, -2}, {-2.5, -2},
        {2.4999, 2}, {2.5001, 3}, {65535.5, 65536}, {65534.5, 65534}, {1e300, 1e300}, {inf, inf}};
    for (const auto& c : roundings)
        EXPECT_EQ(round_half_even(c.in), c.out) << c.in;
}

} // namespace
} // namespace tervalink
