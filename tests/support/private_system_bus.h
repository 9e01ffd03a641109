#pragma once
// Linux only: logind as the sleep guard sees it, on a bus of the test's own, so that no test
// needs the machine's system bus (CI has none) or changes what the machine itself holds.
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace tervalink::test {

// Points DBUS_SYSTEM_BUS_ADDRESS, where sd-bus looks for the system bus, at `address` while it
// lives; the variable is as it was afterwards.
class SystemBusAddress {
public:
    explicit SystemBusAddress(const std::string& address);
    ~SystemBusAddress();
    SystemBusAddress(const SystemBusAddress&) = delete;
    SystemBusAddress& operator=(const SystemBusAddress&) = delete;

private:
    std::optional<std::string> previous_;
};

// A dbus-daemon with a configuration of its own, and python3-dbusmock's logind template on it,
// made the system bus of this process. Both end with it.
class PrivateSystemBus {
public:
    PrivateSystemBus(); // throws std::runtime_error when either does not start
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus&) = delete;
    PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

    // logind's ListInhibitors, one "what | who | why | mode" each.
    std::vector<std::string> inhibitors() const;
    // logind drops an inhibitor once it sees the last copy of its descriptor closed, a moment
    // after the program closed it.
    bool wait_until_no_inhibitors(std::chrono::seconds bound = std::chrono::seconds(10)) const;

private:
    void stop();

    std::string folder_;
    pid_t daemon_ = -1;
    pid_t logind_ = -1;
    std::optional<SystemBusAddress> address_;
};

} // namespace tervalink::test
