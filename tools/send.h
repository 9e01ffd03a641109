#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "arguments.h"
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
};

// "send": builds the table as plan does, refuses what UPDATE would refuse, opens every port as
// CONNECT does and sends the same frames and pauses to all of them at once, one sending thread
// and clock per line. SIGINT and SIGTERM end it between frames. The machine is kept awake from
// the first frame until every line has ended. Returns the exit status.
int run_send(const SendArguments& args, std::ostream& out, std::ostream& err,
             const SendEnvironment& environment = {});

} // namespace tervalink::frames_tool
