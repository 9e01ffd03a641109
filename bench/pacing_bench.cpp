// How closely a real update keeps its pauses: one ticked TP row (45 frames, 6450 ticks, 64.5 s)
// through the serial line into a pseudo-terminal, paced by the real 10 ms clock.
#include <QCoreApplication>

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <vector>

#include "pacing_clock.h"
#include "satellite_table.h"
#include "serial_line.h"
#include "update_run.h"

using namespace tervalink;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int bench_slot = 3; // HOTBIRD, 13.0 E

class SilentView : public UpdateView {
public:
    void show_message(std::string_view text) override
    {
        std::printf("message: %.*s\n", int(text.size()), text.data());
    }
    void set_status(std::string_view) override {}
    void set_progress_maximum(int) override {}
    void set_progress_value(int) override {}
    void set_busy(bool) override {}
    void start_lamp() override {}
    void stop_lamp() override {}
    void disconnect_after_error() override {}
};

class TimedSink : public FrameSink {
public:
    explicit TimedSink(FrameSink& line) : line_(line) {}
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        write_times.push_back(Clock::now());
        line_.write_frame(frame);
    }
    std::vector<Clock::time_point> write_times;

private:
    FrameSink& line_;
};

SatelliteTable one_row_table()
{
    SatelliteTable table;
    table.set_option(bench_slot);
    const int index = row_index(bench_slot, 0);
    table.set_text(Field::nid, index, "1");
    table.set_text(Field::freq, index, "11778");
    table.set_text(Field::symb, index, "27500");
    table.set_text(Field::pol, index, "V");
    table.set_ticked(index, true);
    return table;
}

std::vector<int> nominal_pause_ticks()
{
    std::vector<int> ticks;
    for (int k = 1; k <= repeat_count; ++k)
        ticks.insert(ticks.end(), {30, 30, 20 * k + 210});
    return ticks;
}

double cpu_seconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(fraction * double(values.size() - 1) + 0.5);
    return values[rank];
}

const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    int master = -1;
    int slave = -1;
    std::array<char, 256> slave_path{};
    if (::openpty(&master, &slave, slave_path.data(), nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);

    SerialLine line;
    line.open_path(slave_path.data());
    TimedSink sink(line);
    PacingClock clock(std::chrono::milliseconds(10));
    SilentView view;
    const SatelliteTable table = one_row_table();
    UpdateImage image;
    Updater updater(table, image, sink, clock, view);

    const double cpu_before = cpu_seconds();
    const UpdateOutcome outcome = updater.run();
    const Clock::time_point finished = Clock::now();
    const double cpu_used = cpu_seconds() - cpu_before;
    if (outcome != UpdateOutcome::completed || sink.write_times.empty()) {
        std::printf("the update did not complete\n");
        return 1;
    }

    const std::vector<int> ticks = nominal_pause_ticks();
    std::vector<double> errors;
    for (std::size_t i = 0; i < sink.write_times.size(); ++i) {
        const Clock::time_point end =
            i + 1 < sink.write_times.size() ? sink.write_times[i + 1] : finished;
        errors.push_back(ms(end - sink.write_times[i]) - ticks[i] * 10.0);
    }
    std::array<char, 1024> far_end{};
    ssize_t received = 0;
    for (ssize_t n = 0; (n = ::read(master, far_end.data(), far_end.size())) > 0;)
        received += n;

    const double total_s = ms(finished - sink.write_times.front()) / 1000.0;
    const double total_error_pct = (total_s - 64.5) / 64.5 * 100.0;
    const double cpu_pct = cpu_used / total_s * 100.0;
    const double p99 = percentile(errors, 0.99);
    std::printf("one-row update: %zu frames written, %zd bytes at the far end\n",
                sink.write_times.size(), received);
    std::printf("pause error (ms, measured at the write): median %.3f, p99 %.3f, max %.3f, min %.3f\n",
                percentile(errors, 0.5), p99, *std::max_element(errors.begin(), errors.end()),
                *std::min_element(errors.begin(), errors.end()));
    const auto worst = std::max_element(errors.begin(), errors.end());
    std::printf("worst pause: #%td of %zu, after frame %td, nominal %d ticks\n",
                worst - errors.begin() + 1, errors.size(), worst - errors.begin() + 1,
                ticks[static_cast<std::size_t>(worst - errors.begin())]);
    std::printf("total %.3f s against 64.500 s nominal (%+.3f %%)\n", total_s, total_error_pct);
    std::printf("CPU %.3f s user+system = %.2f %% of one core\n", cpu_used, cpu_pct);
    std::printf("goals: p99 < 2 ms %s; total within 0.3 %% %s; CPU < 1 %% %s\n", verdict(p99 < 2.0),
                verdict(std::abs(total_error_pct) <= 0.3), verdict(cpu_pct < 1.0));
    ::close(master);
    return 0;
}
