#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "adapter_arrivals.h"
#include "arguments.h"
#include "device_naming.h"
#include "port_discovery.h"
#include "sleep_guard.h"
#include "transmission_clock.h"
#include "transmitter.h"

namespace tervalink::frames_tool {

// What a run takes from its surroundings. The tests give each line a virtual clock, and the run
// a fake sleep guard.
struct SendEnvironment {
    std::function<std::unique_ptr<TransmissionClock>()> make_clock = [] {
        return std::make_unique<MonotonicClock>();
    };
    std::shared_ptr<SleepGuard> sleep_guard = std::make_shared<SystemSleepGuard>();
    bool terminal = false; // progress redrawn in place rather than a line per repetition
    SendingPriority priority = SendingPriority::raised;
    std::chrono::milliseconds refresh{250};
    // --reconnect: each line's view of the adapters, and what wakes it when a port appears.
    std::function<std::unique_ptr<DeviceInventory>()> make_inventory = {}; // the system's by default
    std::function<std::unique_ptr<AdapterArrivals>()> make_arrivals = system_adapter_arrivals;
    std::string device_root{default_device_root}; // where "COM n" names its device
};

// "send": builds the table as plan does, refuses what UPDATE would refuse, opens every port as
// CONNECT does and sends the same frames and pauses to all of them at once, one sending thread
// and clock per line. SIGINT and SIGTERM end it between frames. The machine is kept awake from
// the first frame until every line has ended. With --reconnect, a line whose adapter goes away
// waits for it and resumes at the cut repetition. Returns the exit status.
int run_send(const SendArguments& args, std::ostream& out, std::ostream& err,
             const SendEnvironment& environment = {});

} // namespace tervalink::frames_tool
