#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <QSerialPort>

namespace tervalink {

// Opens a device at the line settings of the antenna unit (57600 baud, 8 data bits, no parity,
// one stop bit, no flow control), for this program alone. Throws Failure naming `label`.
std::unique_ptr<QSerialPort> open_serial_port(const std::string& device_path,
                                              const std::string& label, QIODevice::OpenMode mode);

// How the running user stands towards a device it may not read and write.
struct DevicePermission {
    std::string group;        // the device's group; empty when it cannot be found
    unsigned mode = 0;        // the device's permission bits, e.g. 0660
    std::string user;         // the login name, for the command to paste
    bool user_listed = false; // the user's account is in the group
    bool in_session = false;  // this process holds the group already
};

// The device's group and mode, and whether the running user is in that group and holds it now.
DevicePermission look_up_device_permission(const std::string& device_path);

// What to tell a user who may not open the device: the group to join, or to log in again.
std::string permission_advice(const DevicePermission& permission);

// The failure description of an open that Qt refused. `denied` is set when this user may not read
// and write the device, which tells "permission denied" from "in use".
std::string describe_open_failure(std::string_view label, QSerialPort::SerialPortError error,
                                  const std::optional<DevicePermission>& denied,
                                  std::string_view system_text);

} // namespace tervalink
