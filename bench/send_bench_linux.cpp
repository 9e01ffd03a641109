// One `tervalink-frames send` of one TP row (45 frames, 64.5 s) to eight pseudo-terminals at
// once, at the real clock. Per line: the pause error at the writes (from the send's own frames
// log) and at the far end; then how late plain 10 ms sleeps came on this machine meanwhile, and
// the CPU the send process used.
//   send_bench [LINES]
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "far_end.h"
#include "wakeup_probe.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using tervalink::bench::percentile;

// The pauses of one TP row: 30, 30, 20 k + 210 ticks for k = 1..15.
std::vector<double> nominal_ms()
{
    std::vector<double> pauses;
    for (int k = 1; k <= 15; ++k)
        pauses.insert(pauses.end(), {300.0, 300.0, (20.0 * k + 210) * 10});
    return pauses;
}

void print_errors(const char* where, const std::vector<double>& times_ms)
{
    const std::vector<double> nominal = nominal_ms();
    std::vector<double> errors;
    for (std::size_t i = 0; i + 1 < times_ms.size(); ++i)
        errors.push_back(times_ms[i + 1] - times_ms[i] - nominal[i]);
    if (errors.empty()) {
        std::printf("  %s: no frames\n", where);
        return;
    }
    const auto early = std::count_if(errors.begin(), errors.end(), [](double e) { return e < 0; });
    std::printf("  %-12s median %.3f ms, p99 %.3f ms, max %.3f ms, early %td of %zu\n", where,
                percentile(errors, 0.5), percentile(errors, 0.99),
                *std::max_element(errors.begin(), errors.end()), early, errors.size());
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::stoi(argv[1]) : 8;
    std::vector<std::unique_ptr<tervalink::test::FarEnd>> far_ends;
    std::vector<std::string> args{TERVALINK_FRAMES, "send"};
    for (int n = 0; n < count; ++n) {
        far_ends.push_back(std::make_unique<tervalink::test::FarEnd>());
        args.push_back(far_ends.back()->device_path());
    }
    const std::string log = "/tmp/tervalink_send_bench_" + std::to_string(::getpid()) + ".csv";
    for (const char* a : {"--set", "pos:3=130", "--set", "nid:3=1", "--set", "freq:3=11778",
                          "--set", "symb:3=27500", "--set", "pol:3=V", "--choice", "3", "--tick",
                          "3", "--quiet", "--log"})
        args.emplace_back(a);
    args.push_back(log);
    std::vector<char*> argv_child;
    for (std::string& a : args)
        argv_child.push_back(a.data());
    argv_child.push_back(nullptr);

    tervalink::bench::WakeupProbe machine(true, SIZE_MAX);
    const auto started = Clock::now();
    pid_t child = 0;
    if (::posix_spawn(&child, argv_child[0], nullptr, nullptr, argv_child.data(), environ) != 0) {
        std::printf("cannot start %s\n", TERVALINK_FRAMES);
        return 1;
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    const double wall_s = std::chrono::duration<double>(Clock::now() - started).count();
    const double cpu_s = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;

    const std::vector<double> machine_late = machine.stop();
    std::vector<std::vector<double>> written(far_ends.size());
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) {
        const auto comma = line.find(',');
        const std::string port = line.substr(comma + 1, line.find(',', comma + 1) - comma - 1);
        for (std::size_t n = 0; n < far_ends.size(); ++n)
            if (far_ends[n]->device_path() == port)
                written[n].push_back(std::stod(line.substr(0, comma)));
    }
    std::remove(log.c_str());
    std::printf("%d lines, one TP row each; send exited with %d after %.3f s\n", count,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1, wall_s);
    for (std::size_t n = 0; n < far_ends.size(); ++n) {
        std::printf("line %zu (%s), %zu frames written, %zu bytes received\n", n + 1,
                    far_ends[n]->device_path().c_str(), written[n].size(),
                    far_ends[n]->bytes().size());
        print_errors("at writes:", written[n]);
        std::vector<double> arrived;
        const auto arrivals = far_ends[n]->frame_arrivals(15);
        for (const auto& at : arrivals)
            arrived.push_back(std::chrono::duration<double, std::milli>(at - started).count());
        print_errors("at far end:", arrived);
    }
    const auto stalls = std::count_if(machine_late.begin(), machine_late.end(),
                                      [](double late) { return late > 1.0; });
    std::printf("this machine in the same run (10 ms absolute sleeps beside the send): "
                "late median %.3f ms, p99 %.3f ms, max %.3f ms; %td of %zu over 1 ms\n",
                percentile(machine_late, 0.5), percentile(machine_late, 0.99),
                *std::max_element(machine_late.begin(), machine_late.end()), stalls,
                machine_late.size());
    std::printf("send CPU %.3f s user+system = %.3f %% of one core\n", cpu_s, cpu_s / wall_s * 100);
    return 0;
}
