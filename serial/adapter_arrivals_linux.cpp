#include "adapter_arrivals.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include <libudev.h>

#include "failure.h"

namespace tervalink {
namespace {

// udev's own events, sent once its rules have run: the port's node then has its group and
// permissions, so it opens at once. The kernel's events come before that.
class UdevArrivals : public AdapterArrivals {
public:
    UdevArrivals() : interrupted_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~UdevArrivals() override
    {
        stop_listening();
        if (interrupted_ >= 0)
            ::close(interrupted_);
    }

    void listen() override
    {
        stop_listening();
        context_ = udev_new();
        if (context_ != nullptr)
            monitor_ = udev_monitor_new_from_netlink(context_, "udev");
        if (monitor_ == nullptr ||
            udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
            udev_monitor_enable_receiving(monitor_) < 0) {
            const int error = errno;
            stop_listening();
            throw Failure("the device manager udev cannot tell when a port appears (" +
                          std::string(std::strerror(error)) + ")");
        }
    }

    void stop_listening() override
    {
        if (monitor_ != nullptr)
            udev_monitor_unref(monitor_);
        if (context_ != nullptr)
            udev_unref(context_);
        monitor_ = nullptr;
        context_ = nullptr;
    }

    ArrivalWait wait(std::chrono::steady_clock::time_point deadline) override
    {
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return ArrivalWait::timed_out;
            pollfd watched[] = {{interrupted_, POLLIN, 0},
                                {monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1, POLLIN, 0}};
            const int ready = ::poll(watched, 2, static_cast<int>(std::min<long long>(left.count(), 60000)));
            if ((watched[0].revents & POLLIN) != 0)
                return ArrivalWait::interrupted;
            if (ready > 0 && (watched[1].revents & POLLIN) != 0 && port_added())
                return ArrivalWait::look_again;
        }
    }

    void interrupt() override
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t noted = ::write(interrupted_, &one, sizeof one);
    }

private:
    // Reads every event waiting; whether one of them added a port (removals and changes of other
    // ports wake the monitor too).
    bool port_added()
    {
        bool added = false;
        while (udev_device* device = udev_monitor_receive_device(monitor_)) {
            const char* action = udev_device_get_action(device);
            added = added || (action != nullptr && std::string_view(action) == "add" &&
                              udev_device_get_devnode(device) != nullptr);
            udev_device_unref(device);
        }
        return added;
    }

    int interrupted_;
    udev* context_ = nullptr;
    udev_monitor* monitor_ = nullptr;
};

} // namespace

std::unique_ptr<AdapterArrivals> system_adapter_arrivals() { return std::make_unique<UdevArrivals>(); }

} // namespace tervalink
