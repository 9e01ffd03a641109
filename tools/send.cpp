#include "send.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "console_stops.h"
#include "exit_codes.h"
#include "failure.h"
#include "named_file.h"
#include "port_argument.h"
#include "send_batch.h"
#include "send_line.h"
#include "system_device_inventory.h"
#include "table_setup.h"

namespace tervalink::frames_tool {
namespace {

// Opens every port as CONNECT does; on the first failure none stays open.
bool open_all(std::vector<std::unique_ptr<SendLine>>& lines, std::ostream& err,
              const std::string& device_root)
{
    for (auto& line : lines) {
        std::optional<PortAddress> port;
        try {
            port = resolve_port(line->port_text(), device_root);
            line->set_label(port->label);
            line->serial().open_path(port->device_path, port->label);
            line->identify_adapter(port->device_path, is_device_path(line->port_text()));
        } catch (const std::exception& failure) {
            std::string text = std::string(failure.what()) + "; nothing was sent";
            // A port that names no device is the text's fault; one that does not open may be
            // explained by an adapter without a usable port.
            if (port)
                text = with_this_machines_adapter_reasons(text);
            err << text << '\n';
            for (auto& opened : lines)
                opened->serial().close();
            return false;
        }
    }
    return true;
}

class ProgressDisplay {
public:
    ProgressDisplay(std::ostream& out, std::ostream& err, const Batch& batch, bool terminal,
                    bool quiet)
        : out_(out), err_(err), batch_(batch), terminal_(terminal), quiet_(quiet),
          total_ticks_(batch_ticks(batch))
    {
    }

    void show(std::vector<std::unique_ptr<SendLine>>& lines)
    {
        for (auto& line : lines) {
            // A line that waited for its adapter in vain says so before its failure.
            for (const std::string& notice : line->take_notices())
                err_ << notice << '\n';
            const LineState state = line->state();
            if (state.failure && !reported_failure(*line)) {
                failures_shown_.push_back(line.get());
                if (!stopping)
                    err_ << *state.failure << '\n';
            }
            for (const std::string& done : line->take_completed())
                if (!quiet_ && !terminal_)
                    out_ << done << '\n';
        }
        if (!quiet_ && terminal_)
            redraw(lines);
        out_.flush();
    }

    bool stopping = false;

private:
    bool reported_failure(const SendLine& line) const
    {
        return std::find(failures_shown_.begin(), failures_shown_.end(), &line) !=
               failures_shown_.end();
    }

    void redraw(std::vector<std::unique_ptr<SendLine>>& lines)
    {
        if (drawn_)
            out_ << "\x1b[" << lines.size() << 'A';
        drawn_ = true;
        for (auto& line : lines) {
            const LineState state = line->state();
            out_ << "\r\x1b[K" << line->label() << "  ";
            if (state.ended)
                out_ << (state.failure ? "ended" : "completed");
            else if (state.waiting)
                out_ << position_text(batch_, state) << ", waiting for its adapter to come back";
            else
                out_ << position_text(batch_, state) << ", "
                     << state.ticks_done * 100 / std::max<std::int64_t>(1, total_ticks_) << " %, "
                     << duration_text(total_ticks_ - state.ticks_done) << " left";
            out_ << '\n';
        }
    }

    std::ostream& out_;
    std::ostream& err_;
    const Batch& batch_;
    bool terminal_;
    bool quiet_;
    std::int64_t total_ticks_;
    bool drawn_ = false;
    std::vector<const SendLine*> failures_shown_;
};

bool all_ended(const std::vector<std::unique_ptr<SendLine>>& lines)
{
    for (const auto& line : lines)
        if (!line->state().ended)
            return false;
    return true;
}

// One line per port: what it sent and how it ended.
bool summarise(const std::vector<std::unique_ptr<SendLine>>& lines, const Batch& batch,
               const std::optional<ConsoleStop>& stop, std::ostream& out)
{
    bool any_failed = false;
    for (const auto& line : lines) {
        const LineState state = line->state();
        const std::string sent = counted(state.frames, "frame");
        out << line->label() << ": ";
        if (!state.failure) {
            out << "completed, ";
            if (state.reconnects > 0)
                out << "after " << counted(state.reconnects, "reconnect") << ", ";
            out << counted(batch.updates.size(), "update") << ", " << sent << '\n';
            continue;
        }
        const bool stopped = stop && *state.failure == "Stopped by " + stop->name;
        out << (stopped ? "stopped by " + stop->name : "failed") << " in "
            << position_text(batch, state) << " after " << sent;
        if (!stopped) {
            any_failed = true;
            out << ": " << *state.failure;
        }
        out << '\n';
    }
    return any_failed;
}

Batch build_batch(const SendArguments& args, SatelliteTable& table)
{
    if (args.all)
        return whole_table(table);
    select_and_tick(table, args.choice, args.ticks);
    return selected_update(table);
}

} // namespace

int run_send(const SendArguments& args, std::ostream& out, std::ostream& err,
             const SendEnvironment& environment)
{
    std::optional<SatelliteTable> table = build_table(args.table, err);
    if (!table)
        return exit_input_unreadable;
    const Batch batch = build_batch(args, *table);
    if (!batch.failure.empty()) {
        err << batch.failure << '\n';
        return exit_failure;
    }
    for (const std::string& refusal : batch.refusals)
        out << refusal << '\n';
    if (!batch.refusals.empty())
        return exit_refused;
    if (batch.updates.empty()) {
        out << "Nothing to send: no slot holds data and the auto symbol rates are not all filled\n";
        return exit_refused;
    }

    FileHandle log_file(nullptr, std::fclose);
    std::optional<FrameLog> log;
    if (args.log) {
        std::string failure;
        log_file = open_named_file(*args.log, FileUse::write_text, failure);
        if (!log_file) {
            err << "Cannot write the log " << *args.log << ": " << failure << '\n';
            return exit_internal_error;
        }
        log.emplace(log_file.get());
    }
    std::vector<std::unique_ptr<SendLine>> lines;
    for (const std::string& port : args.ports) {
        lines.push_back(std::make_unique<SendLine>(port, batch, log ? &*log : nullptr));
        if (args.reconnect_seconds)
            lines.back()->reconnect_within(
                std::chrono::seconds(*args.reconnect_seconds),
                environment.make_inventory ? environment.make_inventory()
                                           : std::make_unique<SystemDeviceInventory>(),
                environment.make_arrivals());
    }
    if (!open_all(lines, err, environment.device_root))
        return exit_failure;

    if (!args.quiet)
        out << batch_summary(batch) << '\n' << std::flush;
    std::unique_ptr<AwakeHold> awake = environment.sleep_guard->hold_awake();
    if (!awake->refusal().empty() && !args.quiet)
        err << "tervalink-frames: note: the machine may go to sleep during the update: "
            << awake->refusal() << "; switch its automatic sleep off until the update ends\n";
    ConsoleStops stops;
    for (auto& line : lines)
        line->start(environment.make_clock(), environment.priority);
    ProgressDisplay display(out, err, batch, environment.terminal, args.quiet);
    std::optional<ConsoleStop> stop;
    while (!all_ended(lines)) {
        display.show(lines);
        if (auto request = stops.take(environment.refresh); request && !stop) {
            stop = request;
            display.stopping = true;
            for (auto& line : lines)
                line->stop("Stopped by " + stop->name);
        }
    }
    for (auto& line : lines) {
        line->join();
        line->serial().close();
    }
    awake.reset();
    display.show(lines);
    const bool any_failed = summarise(lines, batch, stop, out);
    out.flush(); // before the stops go: a closing console ends the process then
    if (stop)
        return stop->exit_status;
    return any_failed ? exit_failure : exit_done;
}

} // namespace tervalink::frames_tool
