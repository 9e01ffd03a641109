#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include "sleep_guard.h"

namespace tervalink::test {

// Counts the holds a run takes and ends, and tells `changed` at once when it is set, so that a
// test sees where among a run's reports they fall.
struct FakeSleepGuard : SleepGuard {
    struct Hold : AwakeHold {
        explicit Hold(FakeSleepGuard& of) : guard(of) { guard.note(guard.taken); }
        ~Hold() override { guard.note(guard.released); }
        FakeSleepGuard& guard;
    };
    std::unique_ptr<AwakeHold> hold_awake() override { return std::make_unique<Hold>(*this); }
    void note(std::atomic<int>& count)
    {
        ++count;
        if (changed)
            changed(held());
    }
    bool held() const { return taken > released; }

    std::atomic<int> taken{0}, released{0};
    std::function<void(bool held)> changed;
};

} // namespace tervalink::test
