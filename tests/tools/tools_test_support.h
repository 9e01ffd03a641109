#pragma once
// What the tests of tools/ share: the built tool run as a technician runs it, the worked
// example's arguments, and the environment of a send on virtual clocks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "fake_sleep_guard.h"
#include "program_run.h"
#include "send.h"

namespace tervalink::frames_tool {

using Args = std::vector<std::string>;
using Lines = std::vector<std::string>;

// How this system names a port that nothing stands behind (COM 251), and a device path; and how
// decode tells that /nonexistent/capture.bin is not there (in the system's own words).
extern const std::string missing_port;
extern const std::string device_path_example;
extern const std::string missing_capture;

// A UTF-8 name as the file system spells it: the same bytes on Linux, UTF-16 on Windows (where a
// plain std::string name would be read in the ANSI code page).
inline std::filesystem::path file_path(const std::string& utf8)
{
    return std::u8string(utf8.begin(), utf8.end());
}

inline std::string read_all(const std::string& path)
{
    std::ifstream in(file_path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Tests run as parallel processes: each keeps to its own files.
inline std::string scratch_file(const std::string& name, const std::string& content = {})
{
    static const std::string run = std::to_string(std::random_device{}());
    const std::string path = testing::TempDir() + "tervalink_frames_" + run + "_" + name;
    std::ofstream(file_path(path), std::ios::binary) << content;
    return path;
}

// The built tervalink-frames, with a capture on its standard input (two stray bytes and the start
// of a TP frame).
inline test::ProgramRun run_tool(const Args& args)
{
    return test::run_program(TERVALINK_FRAMES, args, std::string("\x00\x0d\x23\x53\x03", 5),
                             scratch_file(""));
}

// HOTBIRD TP2 as in the worked example, row index 16 of slot 3, between `first` and `then`.
// TEXT is all after the first "=": "V=H" is vertical.
inline Args hotbird_tp2(Args first, const Args& then = {"--choice", "3", "--tick", "16"})
{
    for (const char* set :
         {"pos:3=130", "nid:16=1", "freq:16=11778", "symb:16=27500", "pol:16=V=H"})
        first.insert(first.end(), {"--set", set});
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

inline std::unique_ptr<TransmissionClock> virtual_clocks() { return std::make_unique<VirtualClock>(); }

// Each line's clock from `make_clock` (a virtual one unless given), the machine kept awake by
// `sleep_guard` (a fake unless given), the progress looked at every millisecond.
inline SendEnvironment test_environment(
    std::function<std::unique_ptr<TransmissionClock>()> make_clock = virtual_clocks,
    std::shared_ptr<SleepGuard> sleep_guard = std::make_shared<test::FakeSleepGuard>())
{
    return {.make_clock = std::move(make_clock), .sleep_guard = std::move(sleep_guard),
            .priority = SendingPriority::normal, .refresh = std::chrono::milliseconds(1)};
}

// The text exactly; an expected "A...B" stands for any text that starts with A and ends with B.
inline bool matches(const std::string& text, const std::string& expected)
{
    const std::size_t gap = expected.find("...");
    return gap == std::string::npos ? text == expected
                                    : text.starts_with(expected.substr(0, gap)) &&
                                          text.ends_with(expected.substr(gap + 3));
}

} // namespace tervalink::frames_tool
