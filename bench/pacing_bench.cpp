// How closely an update keeps its pauses, beside what the machine's own timer achieves in the same
// run. First a bare loop of absolute 10 ms sleeps (as cyclictest measures wake-up latency), with as
// many wake-ups as the update has pauses; then a one-row update (45 frames, 6450 ticks, 64.5 s)
// through the serial line into a pseudo-terminal, paced by the transmission clock.
//   pacing_bench [--normal-priority]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cpu_time.h"
#include "far_end.h"
#include "satellite_table.h"
#include "serial_line.h"
#include "thread_priority.h"
#include "update_run.h"
#include "wakeup_probe.h"

using namespace tervalink;
using Clock = std::chrono::steady_clock;
using bench::cpu_seconds;
using bench::percentile;

namespace {

constexpr int bench_slot = 3; // HOTBIRD, 13.0 E

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Errors in ms against nominal; the total and the CPU over the measured span.
void report(const char* what, const std::vector<double>& errors, double total_s, double nominal_s,
            double cpu_s)
{
    const auto early = std::count_if(errors.begin(), errors.end(), [](double e) { return e < 0; });
    std::printf("%s: error median %.3f ms, p99 %.3f ms, max %.3f ms; early %td of %zu; "
                "total %.4f s against %.4f s (%+.3f %%); CPU %.3f %% of one core\n",
                what, percentile(errors, 0.5), percentile(errors, 0.99),
                *std::max_element(errors.begin(), errors.end()), early, errors.size(), total_s,
                nominal_s, (total_s - nominal_s) / nominal_s * 100.0, cpu_s / total_s * 100.0);
}

void bare_loop(int wakeups, bool raise)
{
    const double cpu_before = cpu_seconds();
    const std::vector<double> late = bench::WakeupProbe(raise, std::size_t(wakeups)).wait();
    report("bare loop of 10 ms absolute sleeps", late, wakeups * 0.01 + late.back() / 1e3,
           wakeups * 0.01, cpu_seconds() - cpu_before);
}

SatelliteTable one_row_table()
{
    SatelliteTable table;
    table.set_option(bench_slot);
    const int index = row_index(bench_slot, 0);
    table.set_text(Field::nid, index, "1");
    table.set_text(Field::freq, index, "11778");
    table.set_text(Field::symb, index, "27500");
    table.set_text(Field::pol, index, "V");
    table.tick(index, true);
    return table;
}

// Passes frames on, noting when each write began.
class TimedLine : public FrameSink {
public:
    explicit TimedLine(FrameSink& line) : line_(line) {}
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        writes.push_back(Clock::now());
        line_.write_frame(frame);
    }
    std::vector<Clock::time_point> writes;

private:
    FrameSink& line_;
};

// The error of each pause: from one write to the next (the last one to the update's end).
std::vector<double> pause_errors(const std::vector<Clock::time_point>& starts, Clock::time_point end,
                                 const Transmission& plan)
{
    std::vector<double> errors;
    for (std::size_t i = 0; i < starts.size(); ++i) {
        const Clock::time_point next = i + 1 < starts.size() ? starts[i + 1] : end;
        errors.push_back(ms(next - starts[i]) - plan.steps[i].pause_ticks * 10.0);
    }
    return errors;
}

void one_row_update(bool raise)
{
    test::FarEnd far_end;
    SerialLine line;
    line.open_path(far_end.device_path());
    TimedLine timed(line);
    const SatelliteTable table = one_row_table();
    const Transmission plan = std::get<Transmission>(prepare_update(table));
    MonotonicClock clock;
    const double cpu_before = cpu_seconds();
    Sender sender;
    class Ended : public TransmissionListener {
    public:
        void finished() override { at = Clock::now(); }
        void failed(const std::string& description) override
        {
            std::printf("the update failed: %s\n", description.c_str());
        }
        Clock::time_point at;
    } ended;
    sender.start({plan}, timed, clock, ended,
                 raise ? SendingPriority::raised : SendingPriority::normal);
    sender.join();
    const double cpu = cpu_seconds() - cpu_before;
    if (timed.writes.size() != plan.steps.size())
        return;
    const double total = ms(ended.at - timed.writes.front()) / 1000.0;
    std::printf("one-row update: %zu frames written, %zu bytes at the far end\n",
                timed.writes.size(), far_end.bytes().size());
    report("update, measured at the writes", pause_errors(timed.writes, ended.at, plan), total,
           64.5, cpu);
    const std::vector<Clock::time_point> arrivals = far_end.frame_arrivals(15);
    std::vector<double> errors = pause_errors(arrivals, arrivals.back(), plan);
    errors.pop_back();
    report("update, measured at the far end", errors, total, 64.5, cpu);
}

} // namespace

int main(int argc, char** argv)
{
    const bool raise = !(argc > 1 && std::strcmp(argv[1], "--normal-priority") == 0);
    std::printf("sending priority: %s\n", raise ? "raised where permitted" : "normal");
    try {
        bare_loop(45, raise);
        one_row_update(raise);
        return 0;
    } catch (const std::exception& failure) {
        std::printf("%s\n", failure.what());
        return 1;
    }
}
