#include "logind_inhibitors.h"

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <thread>

#include <systemd/sd-bus.h>

namespace tervalink::test {

std::vector<std::string> logind_inhibitors()
{
    sd_bus* bus = nullptr;
    sd_bus_message* reply = nullptr;
    if (sd_bus_open_system(&bus) < 0 ||
        sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager", "ListInhibitors", nullptr, &reply,
                           nullptr) < 0) {
        sd_bus_flush_close_unref(bus);
        throw std::runtime_error("logind on the system bus did not list its inhibitors");
    }
    std::vector<std::string> listed;
    const char *what, *who, *why, *mode;
    std::uint32_t uid, pid;
    sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "(ssssuu)");
    while (sd_bus_message_read(reply, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid) > 0)
        listed.push_back(std::string(what) + " | " + who + " | " + why + " | " + mode);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return listed;
}

bool no_inhibitors_within_10_s()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!logind_inhibitors().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return logind_inhibitors().empty();
}

} // namespace tervalink::test
