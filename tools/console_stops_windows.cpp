#include "console_stops.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include <atomic>

#include "exit_codes.h"

namespace tervalink::frames_tool {
namespace {

// Windows runs a console handler on a thread of its own; it only notes the request and wakes
// `take`, so that nothing is cut off in the middle of a frame.
std::atomic<DWORD> pending_event{0};
HANDLE request_arrived = nullptr;
HANDLE run_ended = nullptr;

// Holds Windows off long enough for the run to end as it would end on Ctrl-C (ports closed,
// summary printed) when the console window closes: the process is ended as soon as the handler
// returns.
constexpr DWORD close_grace_ms = 4000;

BOOL WINAPI note_request(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    pending_event = event;
    ::SetEvent(request_arrived);
    if (event == CTRL_CLOSE_EVENT)
        ::WaitForSingleObject(run_ended, close_grace_ms);
    return TRUE;
}

} // namespace

ConsoleStops::ConsoleStops()
{
    request_arrived = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
    run_ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ::SetConsoleCtrlHandler(note_request, TRUE);
}

ConsoleStops::~ConsoleStops()
{
    ::SetEvent(run_ended);
    ::SetConsoleCtrlHandler(note_request, FALSE);
    ::CloseHandle(request_arrived);
    ::CloseHandle(run_ended);
}

std::optional<ConsoleStop> ConsoleStops::take(std::chrono::milliseconds wait)
{
    if (::WaitForSingleObject(request_arrived, static_cast<DWORD>(wait.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    switch (pending_event.exchange(0)) {
    case CTRL_C_EVENT:
        return ConsoleStop{exit_stopped_by_interrupt, "Ctrl-C"};
    case CTRL_BREAK_EVENT:
        return ConsoleStop{exit_stopped_by_termination, "Ctrl-Break"};
    case CTRL_CLOSE_EVENT:
        return ConsoleStop{exit_stopped_by_termination, "console close"};
    default:
        return std::nullopt;
    }
}

// A console that takes VT sequences; a file, a pipe or the NUL device (which _isatty counts as a
// terminal) gets one line per repetition instead.
TerminalOutput::TerminalOutput()
{
    const HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    terminal_ = ::GetConsoleMode(out, &mode) &&
                ::SetConsoleMode(out, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    previous_mode_ = mode;
}

TerminalOutput::~TerminalOutput()
{
    if (terminal_)
        ::SetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), previous_mode_);
}

void read_stdin_as_bytes()
{
    ::_setmode(::_fileno(stdin), _O_BINARY);
}

} // namespace tervalink::frames_tool
