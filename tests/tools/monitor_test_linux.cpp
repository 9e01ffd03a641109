// monitor on Linux: it reads what the antenna unit's line carries, from a pseudo-terminal.
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <regex>
#include <sstream>
#include <thread>

#include "exit_codes.h"
#include "monitor.h"
#include "pseudo_terminal_linux.h"
#include "signals_held_linux.h"
#include "text_lines.h"
#include "tools_test_support.h"
#include "worked_frames.h"

namespace tervalink::frames_tool {
namespace {

// The one live test of the monitor: three frames 50 and 120 ms apart come in on its port, and the
// monitor prints each with its gap until SIGINT ends it.
TEST(Monitor, DecodesALiveUpdateUntilCtrlC)
{
    const SignalsHeld held;
    test::PseudoTerminal line;
    std::ostringstream out, err;
    int exit_code = -1;
    std::thread monitor([&] { exit_code = run_monitor(line.slave_path(), out, err); });
    // The pause before each frame in ms (the first while the monitor opens its port), the frame,
    // and how the monitor names it.
    const std::tuple<int, test::Bytes, std::string> frames[] = {
        {300, test::hotbird_tp2, "TP HOTBIRD TP2"},
        {50, test::hotbird_tp2, "TP HOTBIRD TP2"},
        {120, test::hotbird_tp2_tagged, "tagged TP"}};
    for (const auto& [pause, frame, name] : frames) {
        ::poll(nullptr, 0, pause);
        EXPECT_EQ(::write(line.master_fd(), frame.data(), frame.size()), ssize_t(frame.size()));
    }
    ::poll(nullptr, 0, 300); // the last frame is read
    ::kill(::getpid(), SIGINT);
    monitor.join();

    EXPECT_EQ(exit_code, int(exit_done));
    EXPECT_EQ(err.str(), "Listening on " + line.slave_path() + " at 57600 baud, 8 data "
                         "bits, no parity, one stop bit; press Ctrl-C to stop\n");
    // "     0.370 s     +50 ms  TP ...": the gap shows the spacing the frames came with, give or
    // take the test's own sleeps.
    const std::regex layout(R"(^ +\d+\.\d{3} s  (      first| {4,5}\+(\d+) ms)  (.*)$)");
    const Lines lines = test::lines_of(out.str());
    ASSERT_EQ(lines.size(), 3u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& [pause, frame, name] = frames[i];
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lines[i], match, layout)) << lines[i];
        const int gap = match[2].matched ? std::stoi(match[2]) : 0;
        EXPECT_LE(std::abs(gap - (i == 0 ? 0 : pause)), 30) << lines[i];
        EXPECT_EQ(match[3].str(), name + ": position 130, NID 1, FREQ 11778, SYMB 27500, "
                                         "POL V; checksum ok, end marker ok");
    }
}

} // namespace
} // namespace tervalink::frames_tool
