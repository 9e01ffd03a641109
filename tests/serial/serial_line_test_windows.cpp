// serial/serial_line on Windows: a port nobody mapped is missing.
#include <gtest/gtest.h>

#include "failure_of.h"
#include "serial_line.h"

namespace tervalink {
namespace {

using test::failure_of;

// The far ends take numbers 20 to 250; 251 is mapped onto nothing.
TEST(Line, MissingPort)
{
    SerialLine line;
    line.set_port_number(251);
    EXPECT_EQ(failure_of([&] { line.open(); }), "Cannot open COM 251: no such port");
    EXPECT_FALSE(line.is_open());
}

} // namespace
} // namespace tervalink
