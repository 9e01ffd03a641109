#include "program_run.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tervalink::test {
namespace {

std::string read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& input, const std::string& scratch)
{
    std::string command = program;
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    const std::string in = scratch + "stdin", out = scratch + "stdout", err = scratch + "stderr";
    std::ofstream(in, std::ios::binary) << input;
    const int status = std::system((command + " <" + in + " >" + out + " 2>" + err).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_all(out), read_all(err)};
}

} // namespace tervalink::test
