#pragma once
// Linux only: what logind on the system bus lists (tests run on private_system_bus.sh's bus).
#include <systemd/sd-bus.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tervalink::test {

// ListInhibitors, one "what | who | why | mode" each.
inline std::vector<std::string> logind_inhibitors()
{
    sd_bus* bus = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_open_system(&bus);
    sd_bus_call_method(bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                       "org.freedesktop.login1.Manager", "ListInhibitors", nullptr, &reply, nullptr);
    std::vector<std::string> listed;
    const char *what, *who, *why, *mode;
    sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "(ssssuu)");
    while (sd_bus_message_read(reply, "(ssssuu)", &what, &who, &why, &mode, nullptr, nullptr) > 0)
        listed.push_back(std::string(what) + " | " + who + " | " + why + " | " + mode);
    sd_bus_message_unref(reply);
    sd_bus_flush_close_unref(bus);
    return listed;
}

// logind drops an inhibitor a moment after the last copy of its descriptor has closed.
inline bool no_inhibitors_within_10_s()
{
    for (int tries = 0; tries < 1000 && !logind_inhibitors().empty(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return logind_inhibitors().empty();
}

} // namespace tervalink::test
