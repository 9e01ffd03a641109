#pragma once
// Linux only: what the line and discovery say when a device refuses the running user.
#include <string>

namespace tervalink {

// How the running user stands towards a Linux device it may not read and write.
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

} // namespace tervalink
