#include "device_permission_linux.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace tervalink {

namespace {

std::string login_name()
{
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr)
        return entry->pw_name;
    return "$USER"; // still a command the technician can paste
}

// Whether the user's account names the group, as a new login would see it.
bool account_lists_group(const std::string& user, gid_t group)
{
    const passwd* entry = ::getpwnam(user.c_str());
    if (entry == nullptr)
        return false;
    std::vector<gid_t> groups(64);
    int count = static_cast<int>(groups.size());
    if (::getgrouplist(user.c_str(), entry->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (::getgrouplist(user.c_str(), entry->pw_gid, groups.data(), &count) < 0)
            return false;
    }
    groups.resize(static_cast<std::size_t>(count));
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Whether this process holds the group now: a group added to the account later does not count
// until the user logs in again.
bool session_holds_group(gid_t group)
{
    if (::getegid() == group)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.end();
}

} // namespace

DevicePermission look_up_device_permission(const std::string& device_path)
{
    DevicePermission found;
    found.user = login_name();
    struct stat status {};
    if (::stat(device_path.c_str(), &status) != 0)
        return found;
    found.mode = status.st_mode & 07777;
    if (const group* owner = ::getgrgid(status.st_gid); owner != nullptr)
        found.group = owner->gr_name;
    found.user_listed = account_lists_group(found.user, status.st_gid);
    found.in_session = session_holds_group(status.st_gid);
    return found;
}

std::string permission_advice(const DevicePermission& permission)
{
    // Joining the group only helps when the group may read and write the device.
    const bool group_opens_it = (permission.mode & 060) == 060;
    if (permission.group.empty() || !group_opens_it || permission.in_session)
        return "permission denied";
    if (!permission.user_listed)
        return "permission denied; the device belongs to group " + permission.group +
               ": add your user to it (sudo usermod -aG " + permission.group + " " +
               permission.user + ") and log in again";
    return "permission denied; your user is in group " + permission.group +
           ", but this session started before it was added: log out and in again";
}

} // namespace tervalink
