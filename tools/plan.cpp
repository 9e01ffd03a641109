#include "plan.h"

#include <ostream>

#include "exit_codes.h"
#include "failure.h"
#include "frame_decoder.h"
#include "table_setup.h"

namespace tervalink::frames_tool {
namespace {

// Instead of the port: every frame with the tick at which it would be written.
class RecordingSink : public FrameSink {
public:
    RecordingSink(const std::int64_t& clock, std::vector<PlannedFrame>& frames)
        : clock_(clock), frames_(frames)
    {
    }
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        frames_.push_back(PlannedFrame{clock_, {frame.begin(), frame.end()}});
    }

private:
    const std::int64_t& clock_;
    std::vector<PlannedFrame>& frames_;
};

// Instead of the pacing timer: a wait moves the clock on at once.
class ClockPacer : public Pacer {
public:
    explicit ClockPacer(std::int64_t& clock) : clock_(clock) {}
    void wait_ticks(std::int16_t ticks) override { clock_ += ticks; }

private:
    std::int64_t& clock_;
};

// Keeps the text of the last message box; the rest of the window feedback has no place here.
class RecordingView : public SilentUpdateView {
public:
    explicit RecordingView(std::string& message) : message_(message) {}
    void show_message(std::string_view text) override { message_ = text; }

private:
    std::string& message_;
};

void prepare_selection(const PlanArguments& args, SatelliteTable& table)
{
    if (args.choice != no_choice)
        table.set_option(args.choice);
    for (int index : args.ticks) {
        table.set_ticked(index, true);
        table.tick_changed(index);
    }
}

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
    RecordingSink sink(result.total_ticks, result.frames);
    ClockPacer pacer(result.total_ticks);
    RecordingView view(result.message);
    result.outcome = Updater(table, image, sink, pacer, view).run();
    return result;
}

std::string plan_line(const PlannedFrame& frame)
{
    return std::to_string(frame.tick) + " " + hex_bytes(frame.bytes);
}

int run_plan(const PlanArguments& args, std::ostream& out, std::ostream& err)
{
    SatelliteTable table;
    ImportBuffers buffers;
    try {
        import_given_file(args.table, buffers, table);
    } catch (const Failure& failure) {
        err << failure.what() << '\n';
        return exit_input_unreadable;
    }
    apply_assignments(args.table, table);
    prepare_selection(args, table);
    return report(plan_update(table), out, err);
}

} // namespace tervalink::frames_tool
