// serial/device_permission on Linux: what a user who may not open a device is told.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "device_permission_linux.h"

namespace tervalink {
namespace {

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
