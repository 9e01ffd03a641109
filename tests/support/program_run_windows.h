#pragma once
// Windows only: a program run by a test on the test's console.
#include "program_run.h"

namespace tervalink::test {

// As run_program, but the program's standard error is the console of the test, as it is for a
// program started from cmd or PowerShell (ProgramRun::err stays empty).
ProgramRun run_program_on_console(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& scratch);

} // namespace tervalink::test
