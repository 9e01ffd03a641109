#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace tervalink::frames_tool {

// A request from the console to stop: Ctrl-C, or a termination (SIGTERM on Linux; Ctrl-Break or
// the console window closing on Windows).
struct ConsoleStop {
    int exit_status;  // exit_stopped_by_interrupt or exit_stopped_by_termination
    std::string name; // "SIGINT", "SIGTERM", "Ctrl-C", "Ctrl-Break", "console close"
};

// Holds the console's stop requests while it lives, for the thread that makes it and every thread
// started after it, so that a request never cuts a write short: `take` hands them over between
// frames. One per run of monitor or send, living until the run's own ending is done (lines
// closed, last lines and summary flushed): when the console window closes, Windows ends the
// process as soon as this object goes.
class ConsoleStops {
public:
    ConsoleStops();
    ~ConsoleStops();
    ConsoleStops(const ConsoleStops&) = delete;
    ConsoleStops& operator=(const ConsoleStops&) = delete;

    // The request that came within `wait`, or none.
    std::optional<ConsoleStop> take(std::chrono::milliseconds wait);
};

// Standard output as a terminal that takes cursor movements (a progress line can be redrawn in
// place). On Windows the console is switched to virtual-terminal processing while the object
// lives, and back to the mode it had when it goes: the console is the shell's, shared with the
// programs started after this one.
class TerminalOutput {
public:
    TerminalOutput();
    ~TerminalOutput();
    TerminalOutput(const TerminalOutput&) = delete;
    TerminalOutput& operator=(const TerminalOutput&) = delete;

    bool takes_cursor_movements() const { return terminal_; }

private:
    bool terminal_ = false;
    unsigned long previous_mode_ = 0; // Windows: the console's mode before the switch
};

// Standard input as the bytes it carries: Windows reads it as text unless told, which would drop
// the CR of every CR LF in a capture and end it at the first 0x1A.
void read_stdin_as_bytes();

} // namespace tervalink::frames_tool
