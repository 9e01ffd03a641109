#include "serial_port_open.h"

#include <QFileInfo>

#ifndef _WIN32
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>
#endif

#include "failure.h"

namespace tervalink {

namespace {

void apply_line_settings(QSerialPort& port)
{
    port.setBaudRate(QSerialPort::Baud57600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
}

// Qt locks a port under its name, so a symbolic link and its target would lock apart: the
// target's own path makes a second opener of the same device fail whatever name it used.
QString lockable_name(const std::string& device_path)
{
    const QString path = QString::fromStdString(device_path);
#ifdef _WIN32
    return path;
#else
    const QString target = QFileInfo(path).canonicalFilePath();
    return target.isEmpty() ? path : target;
#endif
}

bool user_may_use(const std::string& device_path)
{
#ifdef _WIN32
    (void)device_path;
    return true; // Windows refuses a port held by another program with "access denied"
#else
    return ::access(device_path.c_str(), R_OK | W_OK) == 0;
#endif
}

#ifndef _WIN32
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
#endif

} // namespace

DevicePermission look_up_device_permission(const std::string& device_path)
{
    DevicePermission found;
#ifdef _WIN32
    (void)device_path;
#else
    found.user = login_name();
    struct stat status {};
    if (::stat(device_path.c_str(), &status) != 0)
        return found;
    found.mode = status.st_mode & 07777;
    if (const group* owner = ::getgrgid(status.st_gid); owner != nullptr)
        found.group = owner->gr_name;
    found.user_listed = account_lists_group(found.user, status.st_gid);
    found.in_session = session_holds_group(status.st_gid);
#endif
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

std::string describe_open_failure(std::string_view label, QSerialPort::SerialPortError error,
                                  const std::optional<DevicePermission>& denied,
                                  std::string_view system_text)
{
    const std::string prefix = "Cannot open " + std::string(label) + ": ";
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return prefix + "no such device";
    case QSerialPort::PermissionError:
        return prefix + (denied ? permission_advice(*denied) : "it is in use by another program");
    default:
        return prefix + std::string(system_text);
    }
}

std::unique_ptr<QSerialPort> open_serial_port(const std::string& device_path,
                                              const std::string& label, QIODevice::OpenMode mode)
{
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(lockable_name(device_path));
    apply_line_settings(*port);
    if (!port->open(mode)) {
        std::optional<DevicePermission> denied;
        if (!user_may_use(device_path))
            denied = look_up_device_permission(device_path);
        throw Failure(describe_open_failure(label, port->error(), denied,
                                            port->errorString().toStdString()));
    }
    return port;
}

} // namespace tervalink
