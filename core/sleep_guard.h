#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tervalink {

// What the system shows beside the hold (`systemd-inhibit --list`, `powercfg /requests`).
inline constexpr std::string_view awake_reason = "Tervalink is sending an update to the antenna unit";

// Keeps the machine from going to sleep while it lives: an update runs for minutes, and serial
// writes do not count as activity, so an idle laptop on battery would otherwise sleep in the
// middle of it and leave the antenna unit with a half-loaded table. The display may still turn
// off. Destroy it on the thread that took it (Windows' fallback is per thread).
class AwakeHold {
public:
    explicit AwakeHold(std::string refusal = {}) : refusal_(std::move(refusal)) {}
    virtual ~AwakeHold() = default;
    AwakeHold(const AwakeHold&) = delete;
    AwakeHold& operator=(const AwakeHold&) = delete;

    // Why the system does not keep the machine awake (no system bus, no logind, refused); empty
    // while it does. The update goes on either way.
    const std::string& refusal() const { return refusal_; }

private:
    std::string refusal_;
};

// Takes the hold for one run. Tests give a fake; plan, whose frames reach no antenna unit, a
// guard that holds nothing.
class SleepGuard {
public:
    virtual ~SleepGuard() = default;
    virtual std::unique_ptr<AwakeHold> hold_awake() = 0; // never null
};

// The system's own: logind's sleep inhibitor on Linux, a power request on Windows.
class SystemSleepGuard final : public SleepGuard {
public:
    std::unique_ptr<AwakeHold> hold_awake() override;
};

class NoSleepGuard final : public SleepGuard {
public:
    std::unique_ptr<AwakeHold> hold_awake() override { return std::make_unique<AwakeHold>(); }
};

} // namespace tervalink
