#pragma once

namespace tervalink {

// Lets the answers to --help and --version, and argument errors, reach the console the program
// was started from, where the system does not connect a window program to it.
void use_callers_console();

} // namespace tervalink
