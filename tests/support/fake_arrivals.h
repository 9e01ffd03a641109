#pragma once
// Arrivals as a script: each wait runs the next step (a change of the fake inventory, say) and
// wakes as the step says; past the script's end the wait times out. Every call is noted.
#include <functional>
#include <string>
#include <vector>

#include "adapter_arrivals.h"

namespace tervalink::test {

struct ScriptedArrivals : AdapterArrivals {
    struct Step {
        std::function<void()> change;
        ArrivalWait woken = ArrivalWait::look_again;
    };
    std::vector<Step> script;
    std::vector<std::string> calls;
    void listen() override { calls.push_back("listen"); }
    void stop_listening() override { calls.push_back("stop"); }
    ArrivalWait wait(std::chrono::steady_clock::time_point) override
    {
        calls.push_back("wait");
        if (script.empty())
            return ArrivalWait::timed_out;
        const Step step = script.front();
        script.erase(script.begin());
        if (step.change)
            step.change();
        return step.woken;
    }
    void interrupt() override { calls.push_back("interrupt"); }
};

} // namespace tervalink::test
