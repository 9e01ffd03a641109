// serial/device_naming: the number in a port box text.
#include <gtest/gtest.h>

#include "device_naming.h"
#include "failure_of.h"

namespace tervalink {
namespace {

using test::failure_of;

TEST(PortNumber, IsTheNumberAfterTheFirstFourCharactersOrRightAfterCom)
{
    const std::string too_short = "holds no port number; pick a port from the list or type one "
                                  "such as \"COM 100\"";
    const std::string no_fit = "names no port: its number does not fit -32768..32767";
    // The number itself is read like any number text (core number tests): here the prefix, the
    // rounding half to even and the 16-bit range. "-": the failure is the one of the next column.
    const std::tuple<const char*, int, std::string> cases[] = {
        {"COM 12", 12, ""},        {"COM 2.5", 2, ""},       {"COM 3.5", 4, ""},
        {"COM ", 0, ""},           {"COM1", 1, ""},          {"COM107.5", 108, ""},
        {"COMX9", 9, ""},          {"ÄÖÜ 5", 5, ""},         {"COM -32768", -32768, ""},
        {"COM 32767", 32767, ""},  {"COM 32767.5", -1, no_fit}, {"COM 1e999", -1, no_fit},
        {"COM", -1, too_short},    {"", -1, too_short},      {"ÄÖÜ", -1, too_short}};
    for (const auto& [text, number, failure] : cases) {
        SCOPED_TRACE(text);
        int got = -1;
        const std::string failed = failure_of([&, text = text] { got = port_number_from_text(text); });
        EXPECT_EQ(got, number);
        EXPECT_EQ(failed, failure.empty() ? "" : "The port box text \"" + std::string(text) + "\" " + failure);
    }
}

} // namespace
} // namespace tervalink
