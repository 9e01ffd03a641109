#include "command_line.h"

namespace tervalink {

// File names on Linux are bytes; they reach the file system exactly as they were typed.
std::vector<std::string> command_line_arguments(int argc, char** argv)
{
    return {argv + (argc > 0 ? 1 : 0), argv + argc};
}

} // namespace tervalink
