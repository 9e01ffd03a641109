#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace tervalink::frames_tool {

// A request from the console to stop: Ctrl-C, or a termination (SIGTERM on Linux; Ctrl-Break or
// the console window closing on Windows).
struct ConsoleStop {
    int exit_status;  // 130 for Ctrl-C, 143 for a termination
    std::string name; // "SIGINT", "SIGTERM", "Ctrl-C", "Ctrl-Break", "console close"
};

// Holds the console's stop requests while it lives, for the thread that makes it and every thread
// started after it, so that a request never cuts a write short: `take` hands them over between
// frames. One per run of monitor or send.
class ConsoleStops {
public:
    ConsoleStops();
    ~ConsoleStops();
    ConsoleStops(const ConsoleStops&) = delete;
    ConsoleStops& operator=(const ConsoleStops&) = delete;

    // The request that came within `wait`, or none.
    std::optional<ConsoleStop> take(std::chrono::milliseconds wait);
};

// Whether standard output is a terminal that takes cursor movements (a progress line can be
// redrawn in place).
bool stdout_is_terminal();

// Standard input as the bytes it carries: Windows reads it as text unless told, which would drop
// the CR of every CR LF in a capture and end it at the first 0x1A.
void read_stdin_as_bytes();

} // namespace tervalink::frames_tool
