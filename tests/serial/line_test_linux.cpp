// serial/ on Linux: which device "COM n" opens, the termios settings the line runs at, and what
// a user who may not open a device is told.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>

#include "device_naming.h"
#include "device_permission.h"
#include "failure_of.h"
#include "far_end.h"
#include "pseudo_terminal.h"
#include "serial_line.h"

namespace tervalink {
namespace {

using test::failure_of;

TEST(PortAddress, FollowsTheFixedFamilies)
{
    const std::string families = " names no port: use COM 1-99 for /dev/ttyS0-98, COM 100-199 for "
                                 "/dev/ttyUSB0-99, COM 200-299 for /dev/ttyACM0-99, COM 300-399 "
                                 "for /dev/ttyAMA0-99 or COM 400-499 for /dev/rfcomm0-99";
    const std::pair<int, std::string> cases[] = {
        {1, "/r/ttyS0"},      {99, "/r/ttyS98"},      {100, "/r/ttyUSB0"}, {199, "/r/ttyUSB99"},
        {200, "/r/ttyACM0"},  {300, "/r/ttyAMA0"},    {400, "/r/rfcomm0"}, {499, "/r/rfcomm99"},
        {0, "COM 0" + families}, {500, "COM 500" + families}, {-32768, "COM -32768" + families}};
    for (const auto& [number, expected] : cases) {
        std::string got;
        const std::string failed = failure_of([&, number = number] {
            const PortAddress address = port_address(static_cast<std::int16_t>(number), "/r");
            EXPECT_EQ(address.label, "COM " + std::to_string(number) + " (" + address.device_path + ")");
            got = address.device_path;
        });
        EXPECT_EQ(failed.empty() ? got : failed, expected);
    }
    // Discovery and CONNECT must agree on every number, or COM n would open another adapter.
    for (int port = 1; port <= 499; ++port)
        EXPECT_EQ(port_number_for_device(port_address(static_cast<std::int16_t>(port)).device_path.substr(5)),
                  port);
    for (const char* name : {"ttyS99", "ttyUSB100", "ttyUSB", "ttyUSB07", "ttyS1a", "ttyUSB-1",
                             "ttySAC0", "pts/3"})
        EXPECT_FALSE(port_number_for_device(name)) << name;
    // Any absolute path: a link such as socat makes for a virtual null-modem pair, too.
    for (const char* path : {"/dev/ttyUSB0", "/dev/serial/by-id/usb-FTDI-if00", "/tmp/ttyV0"})
        EXPECT_TRUE(is_device_path(path)) << path;
    EXPECT_FALSE(is_device_path("ttyUSB0"));
}

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

TEST(Line, MissingDevice)
{
    test::FarEnd far_end;
    SerialLine line(far_end.device_root());
    line.set_port_number(108);
    EXPECT_EQ(failure_of([&] { line.open(); }),
              "Cannot open COM 108 (" + far_end.device_root() + "/ttyUSB8): no such device");
    EXPECT_FALSE(line.is_open());
}

TEST(DevicePermission, AdviceNamesTheGroupAndTheWayOut)
{
    // The device's group and mode, the user listed in it, the session holding it; the advice.
    const std::tuple<const char*, unsigned, bool, bool, const char*> cases[] = {
        {"uucp", 0660, false, false,
         "permission denied; the device belongs to group uucp: add your user to it (sudo usermod "
         "-aG uucp tech) and log in again"},
        {"dialout", 0660, true, false,
         "permission denied; your user is in group dialout, but this session started before it "
         "was added: log out and in again"},
        {"dialout", 0660, true, true, "permission denied"},
        {"", 0660, false, false, "permission denied"},
        {"dialout", 0640, false, false, "permission denied"}};
    for (const auto& [group, mode, listed, in_session, advice] : cases)
        EXPECT_EQ(permission_advice({group, mode, "tech", listed, in_session}), advice);
}

// The group and mode come from the node itself: a file given group dialout and mode 0660, as
// udev gives a USB adapter. root is in no such group by default.
TEST(DevicePermission, OfARealNode)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a file another group needs root";
    const group* dialout = ::getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    const std::string node = testing::TempDir() + "ttyUSB0." + std::to_string(::getpid());
    std::ofstream(node).put('x');
    ASSERT_EQ(::chown(node.c_str(), static_cast<uid_t>(-1), dialout->gr_gid), 0);
    ASSERT_EQ(::chmod(node.c_str(), 0660), 0);
    const DevicePermission found = look_up_device_permission(node);
    EXPECT_EQ(found.mode, 0660u);
    EXPECT_EQ(permission_advice(found),
              "permission denied; the device belongs to group dialout: add your user to it (sudo "
              "usermod -aG dialout root) and log in again");
    ::unlink(node.c_str());
    EXPECT_EQ(look_up_device_permission(node).group, "");
}

} // namespace
} // namespace tervalink
