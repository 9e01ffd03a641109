#pragma once
// Arrivals as a script: each wait runs the next step (a change of the fake inventory, say) and
// wakes as it says; past the script's end it times out, or with `hold` waits for interrupt().
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "adapter_arrivals.h"

namespace tervalink::test {

struct ScriptedArrivals : AdapterArrivals {
    struct Step { std::function<void()> change; ArrivalWait woken = ArrivalWait::look_again; };
    void listen() override { calls.push_back("listen"); }
    void stop_listening() override { calls.push_back("stop"); }
    ArrivalWait wait(std::chrono::steady_clock::time_point) override
    {
        calls.push_back("wait");
        if (script.empty()) {
            std::unique_lock lock(mutex);
            interruption.wait(lock, [&] { return !hold || interrupted; });
            return hold ? ArrivalWait::interrupted : ArrivalWait::timed_out;
        }
        const Step step = script.front();
        script.erase(script.begin());
        if (step.change)
            step.change();
        return step.woken;
    }
    void interrupt() override { const std::lock_guard lock(mutex); interrupted = true; interruption.notify_all(); }
    std::vector<Step> script;
    std::vector<std::string> calls;
    bool hold = false, interrupted = false;
    std::mutex mutex;
    std::condition_variable interruption;
};

} // namespace tervalink::test
