#include "plan.h"

#include <ostream>

#include "exit_codes.h"
#include "failure.h"
#include "frame_decoder.h"
#include "table_setup.h"

namespace tervalink::frames_tool {
namespace {

// Instead of the port: every frame with the tick at which the transmission clock wrote it.
class RecordingSink : public FrameSink {
public:
    RecordingSink(TransmissionClock& clock, std::vector<PlannedFrame>& frames)
        : clock_(clock), frames_(frames)
    {
    }
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        frames_.push_back(PlannedFrame{clock_.now() / tick_period, {frame.begin(), frame.end()}});
    }

private:
    TransmissionClock& clock_;
    std::vector<PlannedFrame>& frames_;
};

// Keeps the text of the last message box; the rest of the window feedback has no place here.
class RecordingView : public SilentUpdateView {
public:
    explicit RecordingView(std::string& message) : message_(message) {}
    void show_message(std::string_view text) override { message_ = text; }

private:
    std::string& message_;
};

int report(const PlanResult& result, std::ostream& out, std::ostream& err)
{
    switch (result.outcome) {
    case UpdateOutcome::completed:
        for (const PlannedFrame& frame : result.frames)
            out << plan_line(frame) << '\n';
        out << "end " << result.total_ticks << '\n';
        return exit_done;
    case UpdateOutcome::refused:
    case UpdateOutcome::clash:
        out << result.message << '\n';
        return exit_refused;
    case UpdateOutcome::failed:
        err << result.message << '\n';
        return exit_failure;
    case UpdateOutcome::ignored:
    case UpdateOutcome::started:
        break;
    }
    err << "UPDATE did not run: another update was still running\n";
    return exit_failure;
}

} // namespace

PlanResult plan_update(const SatelliteTable& table)
{
    PlanResult result;
    UpdateImage image;
    VirtualClock clock;
    RecordingSink sink(clock, result.frames);
    RecordingView view(result.message);
    // The reports are taken on the sending thread as they come; nothing else runs meanwhile.
    const auto at_once = [](const std::function<void()>& report) { report(); };
    NoSleepGuard frames_reach_no_antenna_unit;
    Updater updater(table, image, sink, clock, frames_reach_no_antenna_unit, view, at_once);
    result.outcome = updater.run();
    updater.wait_until_sent();
    if (result.outcome == UpdateOutcome::started)
        result.outcome = updater.outcome();
    result.total_ticks = clock.now() / tick_period;
    return result;
}

std::string plan_line(const PlannedFrame& frame)
{
    return std::to_string(frame.tick) + " " + hex_bytes(frame.bytes);
}

int run_plan(const PlanArguments& args, std::ostream& out, std::ostream& err)
{
    std::optional<SatelliteTable> table = build_table(args.table, err);
    if (!table)
        return exit_input_unreadable;
    select_and_tick(*table, args.choice, args.ticks);
    return report(plan_update(*table), out, err);
}

} // namespace tervalink::frames_tool
