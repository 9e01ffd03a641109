// How closely a real update keeps its pauses: one ticked TP row (45 frames, 6450 ticks, 64.5 s)
// through the serial line into a pseudo-terminal, paced by the real 10 ms clock.
// With --bare-timer the frames go nowhere, which shows what the machine's timers alone achieve.
#include <QCoreApplication>

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "pacing_clock.h"
#include "satellite_table.h"
#include "serial_line.h"
#include "update_run.h"

using namespace tervalink;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int bench_slot = 3; // HOTBIRD, 13.0 E

class MessagePrintingView : public SilentUpdateView {
public:
    void show_message(std::string_view text) override
    {
        std::printf("message: %.*s\n", int(text.size()), text.data());
    }
};

class DiscardingSink : public FrameSink {
public:
    void write_frame(std::span<const std::uint8_t>) override {}
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

// The far end of the line: a pseudo-terminal whose slave the program opens as its serial port.
class FarEnd {
public:
    FarEnd()
    {
        int slave = -1;
        std::array<char, 256> name{};
        if (::openpty(&master_, &slave, name.data(), nullptr, nullptr) != 0)
            throw std::runtime_error(std::string("openpty: ") + std::strerror(errno));
        ::close(slave);
        ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
        slave_path_ = name.data();
    }
    ~FarEnd() { ::close(master_); }
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    const std::string& slave_path() const { return slave_path_; }
    long bytes_received() const
    {
        std::array<char, 1024> chunk{};
        long received = 0;
        for (ssize_t n = 0; (n = ::read(master_, chunk.data(), chunk.size())) > 0;)
            received += n;
        return received;
    }

private:
    int master_ = -1;
    std::string slave_path_;
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

struct Run {
    std::vector<Clock::time_point> write_times;
    Clock::time_point finished;
    double cpu_seconds = 0;
};

Run run_update(FrameSink& line)
{
    TimedSink sink(line);
    PacingClock clock(std::chrono::milliseconds(10));
    MessagePrintingView view;
    const SatelliteTable table = one_row_table();
    UpdateImage image;
    Updater updater(table, image, sink, clock, view);
    const double cpu_before = cpu_seconds();
    if (updater.run() != UpdateOutcome::completed)
        throw std::runtime_error("the update did not complete");
    Run run{std::move(sink.write_times), Clock::now(), 0};
    run.cpu_seconds = cpu_seconds() - cpu_before;
    return run;
}

void report(const Run& run)
{
    const std::vector<int> ticks = nominal_pause_ticks();
    std::vector<double> errors;
    for (std::size_t i = 0; i < run.write_times.size(); ++i) {
        const Clock::time_point end =
            i + 1 < run.write_times.size() ? run.write_times[i + 1] : run.finished;
        errors.push_back(ms(end - run.write_times[i]) - ticks[i] * 10.0);
    }
    const auto over = [&](double bound) {
        return std::count_if(errors.begin(), errors.end(), [&](double e) { return e > bound; });
    };
    const double total_s = ms(run.finished - run.write_times.front()) / 1000.0;
    const double total_error_pct = (total_s - 64.5) / 64.5 * 100.0;
    const double cpu_pct = run.cpu_seconds / total_s * 100.0;
    const double p99 = percentile(errors, 0.99);
    std::printf("pause error (ms, measured at the write): median %.3f, p99 %.3f, max %.3f, "
                "min %.3f\n",
                percentile(errors, 0.5), p99, *std::max_element(errors.begin(), errors.end()),
                *std::min_element(errors.begin(), errors.end()));
    std::printf("pauses more than 2 ms long: %td of %zu; more than 3 ms: %td\n", over(2.0),
                errors.size(), over(3.0));
    std::printf("total %.3f s against 64.500 s nominal (%+.3f %%)\n", total_s, total_error_pct);
    std::printf("CPU %.3f s user+system = %.2f %% of one core\n", run.cpu_seconds, cpu_pct);
    std::printf("goals: p99 < 2 ms %s; total within 0.3 %% %s; CPU < 1 %% %s\n", verdict(p99 < 2.0),
                verdict(std::abs(total_error_pct) <= 0.3), verdict(cpu_pct < 1.0));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const bool bare_timer = argc > 1 && std::strcmp(argv[1], "--bare-timer") == 0;
    try {
        if (bare_timer) {
            DiscardingSink nowhere;
            std::printf("one-row update, frames discarded (bare timer)\n");
            report(run_update(nowhere));
            return 0;
        }
        FarEnd far_end;
        SerialLine line;
        line.open_path(far_end.slave_path());
        const Run run = run_update(line);
        std::printf("one-row update: %zu frames written, %ld bytes at the far end\n",
                    run.write_times.size(), far_end.bytes_received());
        report(run);
        return 0;
    } catch (const std::exception& failure) {
        std::printf("%s\n", failure.what());
        return 1;
    }
}
