#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "numbers.h"

namespace tervalink {
namespace {

struct ValueCase {
    std::string text;
    double value;
};

class NumericValue : public testing::TestWithParam<ValueCase> {};

TEST_P(NumericValue, ReadsTheLeadingNumber)
{
    EXPECT_EQ(numeric_value(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NumericValue,
    testing::Values(
        ValueCase{"11778", 11778}, ValueCase{"11778 MHz", 11778}, ValueCase{"1 1778", 11778},
        ValueCase{"", 0}, ValueCase{"abc", 0}, ValueCase{"12.5", 12.5}, ValueCase{"1,000", 1},
        ValueCase{" \t\n42\t", 42}, ValueCase{"1\r2", 1}, ValueCase{"-5", -5},
        ValueCase{"+7", 7}, ValueCase{"-", 0}, ValueCase{".", 0}, ValueCase{".5", 0.5},
        ValueCase{"5.", 5}, ValueCase{"1e3", 1000}, ValueCase{"1E+3", 1000},
        ValueCase{"25e-1", 2.5}, ValueCase{"1e", 1}, ValueCase{"1e+", 1}, ValueCase{"1ex", 1},
        ValueCase{"1.2.3", 1.2}, ValueCase{"3x", 3}, ValueCase{"&H1F", 31}, ValueCase{"&hff", 255},
        ValueCase{"&O17", 15}, ValueCase{"&o8", 0}, ValueCase{"&H", 0}, ValueCase{"&HFFFF", 65535},
        ValueCase{"& H10", 16}, ValueCase{"0x10", 0}, ValueCase{"inf", 0}, ValueCase{"nan", 0},
        ValueCase{"1e-400", 0}, ValueCase{"1D3", 1}, ValueCase{"0.1e1", 1}));

TEST(NumericValueRange, BeyondTheDoubleRangeIsInfinite)
{
    EXPECT_EQ(numeric_value("1e400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(numeric_value("-1e400"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(numeric_value("0.000001e309"), 1e303);
    EXPECT_EQ(numeric_value("00000e999"), 0);
}

struct NumericTextCase {
    std::string text;
    bool numeric;
};

class NumericText : public testing::TestWithParam<NumericTextCase> {};

TEST_P(NumericText, AcceptsOnlyAWholeDecimalNumber)
{
    EXPECT_EQ(is_numeric_text(GetParam().text), GetParam().numeric) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Rules, NumericText,
    testing::Values(
        NumericTextCase{"12", true}, NumericTextCase{" 12 ", true}, NumericTextCase{"-0", true},
        NumericTextCase{"+3.5", true}, NumericTextCase{".5", true}, NumericTextCase{"5.", true},
        NumericTextCase{"1e3", true}, NumericTextCase{"1E-3", true},
        NumericTextCase{"1e-400", true}, NumericTextCase{"", false}, NumericTextCase{"   ", false},
        NumericTextCase{"12a", false}, NumericTextCase{"1.2.3", false}, NumericTextCase{"-", false},
        NumericTextCase{".", false}, NumericTextCase{"1 2", false}, NumericTextCase{"1e400", false},
        NumericTextCase{"1e", false}, NumericTextCase{"e3", false}, NumericTextCase{"0x10", false},
        NumericTextCase{"inf", false}, NumericTextCase{"nan", false},
        NumericTextCase{"&H10", false}, NumericTextCase{"\t12", false},
        NumericTextCase{"12-", false}, NumericTextCase{"(12)", false},
        NumericTextCase{"1,000", false}, NumericTextCase{"+-1", false}));

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    const struct {
        double in, out;
    } cases[] = {{12.5, 12},  {13.5, 14},  {255.5, 256}, {0.5, 0},     {1.5, 2},
                 {-0.4, 0},   {-0.5, 0},   {-1.5, -2},   {-2.5, -2},   {2.4999, 2},
                 {2.5001, 3}, {65535.5, 65536}, {65534.5, 65534}, {1e300, 1e300}};
    for (const auto& c : cases)
        EXPECT_EQ(round_half_even(c.in), c.out) << c.in;
    EXPECT_TRUE(std::isinf(round_half_even(std::numeric_limits<double>::infinity())));
}

} // namespace
} // namespace tervalink
