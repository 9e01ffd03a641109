#pragma once

#include <string>
#include <vector>

namespace tervalink::test {

// How a program run by a test ended: its exit status (-1 when it did not exit by itself), and
// everything it wrote.
struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs `program` with `args` as a user's shell would, `input` on its standard input. Files, not
// pipes, carry the streams, so nothing blocks however much the program writes. `scratch` is a
// path prefix of the caller's own for those files.
ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& input, const std::string& scratch);

} // namespace tervalink::test
