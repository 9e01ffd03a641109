#pragma once

namespace tervalink::frames_tool {

// What a script calling the tool can rely on.
enum ExitCode : int {
    exit_done = 0,
    exit_internal_error = 1,   // the output could not be written, or something unforeseen
    exit_bad_arguments = 2,
    exit_refused = 3,          // UPDATE would stop with a message box
    exit_failure = 4,          // UPDATE would take its error path, CHECK DATA would stop
    exit_input_unreadable = 5, // a data file or capture that cannot be read
    // A run of send or monitor stopped from the console, as shells report a process ended by a
    // signal (128 + its number) on both systems.
    exit_stopped_by_interrupt = 130,   // Ctrl-C (SIGINT)
    exit_stopped_by_termination = 143, // SIGTERM; on Windows Ctrl-Break or the console closing
};

} // namespace tervalink::frames_tool
