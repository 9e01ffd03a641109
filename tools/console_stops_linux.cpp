#include "console_stops.h"

#include <csignal>
#include <ctime>

#include <pthread.h>
#include <unistd.h>

#include "exit_codes.h"

namespace tervalink::frames_tool {
namespace {

// Held, not handled: a blocked signal waits until sigtimedwait takes it.
sigset_t stop_signals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

sigset_t previous_mask;

} // namespace

ConsoleStops::ConsoleStops()
{
    const sigset_t set = stop_signals();
    ::pthread_sigmask(SIG_BLOCK, &set, &previous_mask);
}

ConsoleStops::~ConsoleStops()
{
    ::pthread_sigmask(SIG_SETMASK, &previous_mask, nullptr);
}

std::optional<ConsoleStop> ConsoleStops::take(std::chrono::milliseconds wait)
{
    const sigset_t set = stop_signals();
    const timespec timeout{static_cast<time_t>(wait.count() / 1000),
                           static_cast<long>(wait.count() % 1000 * 1000000)};
    switch (::sigtimedwait(&set, nullptr, &timeout)) {
    case SIGINT:
        return ConsoleStop{exit_stopped_by_interrupt, "SIGINT"};
    case SIGTERM:
        return ConsoleStop{exit_stopped_by_termination, "SIGTERM"};
    default:
        return std::nullopt;
    }
}

TerminalOutput::TerminalOutput() : terminal_(::isatty(STDOUT_FILENO) == 1) {}

TerminalOutput::~TerminalOutput() = default;

void read_stdin_as_bytes() {}

} // namespace tervalink::frames_tool
