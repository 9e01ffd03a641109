#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "console_text.h"
#include "exit_codes.h"
#include "frames_tool.h"

namespace tool = tervalink::frames_tool;

int main(int argc, char** argv)
{
    const tervalink::ConsoleText console_text;
    const std::vector<std::string> args = tervalink::command_line_arguments(argc, argv);
    try {
        const int status = tool::run_frames_tool(args, std::cin, std::cout, std::cerr);
        // A script must not take a plan that never reached its file for a complete one.
        if (!std::cout.flush()) {
            std::cerr << "tervalink-frames: the output could not be written (disk full?)\n";
            return tool::exit_internal_error;
        }
        return status;
    } catch (const std::exception& error) {
        std::cerr << "tervalink-frames: " << error.what() << '\n';
        return tool::exit_internal_error;
    }
}
