#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "sleep_guard.h"

namespace tervalink::test {

// Counts the holds a run takes and lets go of, and tells `changed` at once when it is set, so a
// test sees where in a run's reports they fall. Each hold refuses with `refusal` when that is set.
class FakeSleepGuard : public SleepGuard {
public:
    std::unique_ptr<AwakeHold> hold_awake() override
    {
        ++taken_;
        if (changed)
            changed(true);
        return std::make_unique<Hold>(*this);
    }
    int taken() const { return taken_; }
    int released() const { return released_; }
    bool held() const { return taken_ > released_; }

    std::string refusal;
    std::function<void(bool held)> changed;

private:
    class Hold : public AwakeHold {
    public:
        explicit Hold(FakeSleepGuard& guard) : AwakeHold(guard.refusal), guard_(guard) {}
        ~Hold() override
        {
            ++guard_.released_;
            if (guard_.changed)
                guard_.changed(false);
        }

    private:
        FakeSleepGuard& guard_;
    };

    std::atomic<int> taken_{0};
    std::atomic<int> released_{0};
};

} // namespace tervalink::test
