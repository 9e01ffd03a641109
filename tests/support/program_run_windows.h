#pragma once
// Windows only: a program run by a test while the test still acts on it.
#include <windows.h>

#include "program_run.h"

namespace tervalink::test {

// A program started as run_program starts it (the command line in UTF-16, so every letter of the
// arguments arrives), in a process group of its own: a Ctrl-Break sent to it reaches it alone.
// Its standard error goes to a file, or with `errors_on_console` to the console of the test.
class StartedProgram {
public:
    StartedProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::string& input, const std::string& scratch,
                   bool errors_on_console = false);
    ~StartedProgram();
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;

    // Ctrl-Break, as the console sends it when the user presses it; false when Windows refused
    // (GetLastError says why). Ended by the test, the program is ended when the object goes.
    bool send_ctrl_break();
    // Waits for the end and gives what it wrote.
    ProgramRun wait();

private:
    std::string out_path_, err_path_;
    HANDLE streams_[3] = {};
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

} // namespace tervalink::test
