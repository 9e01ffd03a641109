#include "run_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include <gtest/gtest.h>

extern char** environ;

namespace tervalink::testing_support {
namespace {

std::string read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Files instead of pipes: nothing can block however much the tool writes.
struct Redirections {
    explicit Redirections(const std::string& in, const std::string& out, const std::string& err)
    {
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
    }
    ~Redirections() { posix_spawn_file_actions_destroy(&actions); }
    Redirections(const Redirections&) = delete;
    Redirections& operator=(const Redirections&) = delete;
    posix_spawn_file_actions_t actions;
};

} // namespace

std::string scratch_file(const std::string& name, const std::string& content)
{
    // Tests run as parallel processes: each keeps to its own files.
    const std::string path =
        ::testing::TempDir() + "tervalink_frames_" + std::to_string(getpid()) + "_" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

ToolRun run_frames_tool(const std::vector<std::string>& args, const std::string& input)
{
    const std::string in = scratch_file("stdin", input);
    const std::string out = scratch_file("stdout", "");
    const std::string err = scratch_file("stderr", "");
    std::vector<std::string> words{TERVALINK_FRAMES};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    Redirections redirections(in, out, err);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &redirections.actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + words[0]);
    int wait_status = 0;
    waitpid(pid, &wait_status, 0);
    ToolRun run;
    run.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    run.out = read_all(out);
    run.err = read_all(err);
    return run;
}

} // namespace tervalink::testing_support
