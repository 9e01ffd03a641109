#pragma once

#include <string>
#include <vector>

namespace tervalink::testing_support {

struct ToolRun {
    int status = -1; // exit status, -1 when the tool did not exit normally
    std::string out;
    std::string err;
};

// Runs the built tervalink-frames with the arguments, `input` on its standard input.
ToolRun run_frames_tool(const std::vector<std::string>& args, const std::string& input = {});

// A file in the test's scratch folder holding `content`; gives its path.
std::string scratch_file(const std::string& name, const std::string& content);

} // namespace tervalink::testing_support
