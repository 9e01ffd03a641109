#pragma once

#include <string>
#include <vector>

namespace tervalink {

// The arguments the program was started with, after its own name, as UTF-8 text: on Linux argv
// as the shell passed it; on Windows the command line as Windows holds it (UTF-16), because the
// argv the C runtime builds is in the ANSI code page, which turns a name such as "Jörg" or "衛星"
// into other letters or "?".
std::vector<std::string> command_line_arguments(int argc, char** argv);

} // namespace tervalink
