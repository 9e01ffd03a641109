#include "sleep_guard.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include <systemd/sd-bus.h>

namespace tervalink {
namespace {

// The window asks on its own thread: a bus that does not answer must not freeze it for long.
constexpr std::uint64_t inhibit_answer_bound_us = 2'000'000;

// logind keeps the inhibitor for as long as any copy of this descriptor is open.
class InhibitorHold final : public AwakeHold {
public:
    explicit InhibitorHold(int fd) : fd_(fd) {}
    ~InhibitorHold() override { ::close(fd_); }

private:
    int fd_;
};

struct BusCall {
    ~BusCall()
    {
        sd_bus_error_free(&error);
        sd_bus_message_unref(reply);
        sd_bus_flush_close_unref(bus);
    }
    sd_bus* bus = nullptr;
    sd_bus_error error{nullptr, nullptr, 0}; // SD_BUS_ERROR_NULL, without its C compound literal
    sd_bus_message* reply = nullptr;
};

std::string system_text(int negative_errno) { return std::strerror(-negative_errno); }

} // namespace

std::unique_ptr<AwakeHold> SystemSleepGuard::hold_awake()
{
    BusCall call;
    int result = sd_bus_open_system(&call.bus);
    if (result < 0)
        return std::make_unique<AwakeHold>("the system bus cannot be reached (" +
                                           system_text(result) + ")");
    sd_bus_set_method_call_timeout(call.bus, inhibit_answer_bound_us);
    const std::string reason(awake_reason);
    // "sleep:idle": neither an idle timeout nor a sleep requested by a program may cut the update
    // short; "block" rather than "delay", as the update cannot be put off.
    result = sd_bus_call_method(call.bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                                "org.freedesktop.login1.Manager", "Inhibit", &call.error,
                                &call.reply, "ssss", "sleep:idle", "Tervalink", reason.c_str(),
                                "block");
    if (result < 0)
        return std::make_unique<AwakeHold>(
            "logind did not take the sleep inhibitor (" +
            std::string(call.error.message ? call.error.message : system_text(result)) + ")");
    int fd = -1;
    result = sd_bus_message_read(call.reply, "h", &fd);
    // The reply owns its descriptor; the hold keeps a copy that no child process inherits.
    const int kept = result < 0 ? -1 : ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (kept < 0)
        return std::make_unique<AwakeHold>("logind's answer held no inhibitor (" +
                                           system_text(result < 0 ? result : -errno) + ")");
    return std::make_unique<InhibitorHold>(kept);
}

} // namespace tervalink
