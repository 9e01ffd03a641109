// serial/serial_line on Linux: the termios settings the line runs at.
#include <gtest/gtest.h>

#include <termios.h>

#include "pseudo_terminal_linux.h"
#include "serial_line.h"

namespace tervalink {
namespace {

TEST(Line, Runs57600EightN1RawWithoutFlowControl)
{
    test::PseudoTerminal far_end;
    // Left behind by another program: every setting the line must put right.
    termios settings{};
    ASSERT_EQ(::tcgetattr(far_end.master_fd(), &settings), 0);
    ::cfsetospeed(&settings, B9600);
    settings.c_cflag = (settings.c_cflag & ~tcflag_t(CSIZE)) | CS7 | PARENB | CSTOPB | CRTSCTS;
    settings.c_iflag |= IXON | IXOFF;
    settings.c_oflag |= OPOST;
    settings.c_lflag |= ICANON | ECHO;
    ASSERT_EQ(::tcsetattr(far_end.master_fd(), TCSANOW, &settings), 0);
    SerialLine line;
    line.open_path(far_end.slave_path());
    ASSERT_EQ(::tcgetattr(far_end.master_fd(), &settings), 0);
    EXPECT_EQ(::cfgetospeed(&settings), speed_t(B57600));
    EXPECT_EQ(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              tcflag_t(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF), tcflag_t(0));
    EXPECT_EQ(settings.c_oflag & OPOST, tcflag_t(0));
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), tcflag_t(0));
}

} // namespace
} // namespace tervalink
