#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "frames_tool.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return tervalink::frames_tool::run_frames_tool(args, std::cin, std::cout, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "tervalink-frames: " << error.what() << '\n';
        return 1;
    }
}
