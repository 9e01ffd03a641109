#include "plan.h"

#include <exception>
#include <ostream>

#include "exit_codes.h"
#include "frame_decoder.h"
#include "table_setup.h"
#include "transmitter.h"

namespace tervalink::frames_tool {
namespace {

// Instead of the port: every frame with the tick at which the transmission clock wrote it.
class RecordingSink : public FrameSink, public TransmissionListener {
public:
    RecordingSink(TransmissionClock& clock, std::vector<PlannedFrame>& frames)
        : clock_(clock), frames_(frames)
    {
    }
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        frames_.push_back(PlannedFrame{clock_.now() / tick_period, {frame.begin(), frame.end()}});
    }
    // A recording neither fails nor ends early: the send's own end is all there is to report.
    void finished() override {}
    void failed(const std::string&) override {}

private:
    TransmissionClock& clock_;
    std::vector<PlannedFrame>& frames_;
};

int report(const PlanResult& result, std::ostream& out, std::ostream& err)
{
    if (result.failure) {
        err << *result.failure << '\n';
        return exit_failure;
    }
    if (result.refusal) {
        out << result.refusal->message << '\n';
        return exit_refused;
    }
    for (const PlannedFrame& frame : result.frames)
        out << plan_line(frame) << '\n';
    out << "end " << result.total_ticks << '\n';
    return exit_done;
}

} // namespace

PlanResult plan_update(const SatelliteTable& table)
{
    PlanResult result;
    try {
        const PreparedUpdate prepared = prepare_update(table);
        if (const auto* refusal = std::get_if<UpdateRefusal>(&prepared)) {
            result.refusal = *refusal;
            return result;
        }
        if (const auto* failed = std::get_if<Failed>(&prepared)) {
            result.failure = failed->description;
            return result;
        }
        VirtualClock clock;
        RecordingSink sink(clock, result.frames);
        StopRequest never_stopped;
        Transmitter(sink, clock, never_stopped, sink).send(std::get<Transmission>(prepared));
        result.total_ticks = clock.now() / tick_period;
    } catch (const std::exception& failure) {
        result.failure = failure.what();
    }
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
