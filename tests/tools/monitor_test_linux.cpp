// monitor on Linux: it reads what a null-modem cable of two pseudo-terminals carries.
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <regex>
#include <sstream>
#include <thread>

#include "exit_codes.h"
#include "monitor.h"
#include "pseudo_terminal_linux.h"
#include "serial_line.h"
#include "signals_held_linux.h"
#include "text_lines.h"
#include "tools_test_support.h"
#include "transmitter.h"
#include "worked_frames.h"

namespace tervalink::frames_tool {
namespace {

// The one live test of the monitor: three frames 50 and 120 ms apart cross a null-modem cable
// relayed by this test, and the monitor prints each with its gap until SIGINT ends it.
TEST(Monitor, DecodesALiveUpdateUntilCtrlC)
{
    const SignalsHeld held;
    test::PseudoTerminal sending_side;
    test::PseudoTerminal listening_side;
    std::ostringstream out, err;
    int exit_code = -1;
    std::thread monitor([&] { exit_code = run_monitor(listening_side.slave_path(), out, err); });
    std::atomic<bool> cabled{true};
    std::thread cable([&] {
        while (cabled) {
            pollfd readable{sending_side.master_fd(), POLLIN, 0};
            if (::poll(&readable, 1, 5) > 0 && (readable.revents & POLLIN)) {
                const auto bytes = sending_side.read_available();
                EXPECT_EQ(::write(listening_side.master_fd(), bytes.data(), bytes.size()),
                          ssize_t(bytes.size()));
            }
        }
    });
    ::poll(nullptr, 0, 300); // the monitor opens its port

    Transmission transmission;
    transmission.steps = {{test::hotbird_tp2, FrameKind::tp, 5, {}},
                          {test::hotbird_tp2, FrameKind::tp, 12, {}},
                          {test::hotbird_tp2_tagged, FrameKind::tagged_tp, 1, {}}};
    SerialLine line;
    line.open_path(sending_side.slave_path());
    struct Ended : TransmissionListener {
        void finished() override { outcome = "finished"; }
        void failed(const std::string& description) override { outcome = description; }
        std::string outcome;
    } ended;
    MonotonicClock clock;
    Sender sender;
    sender.start({transmission}, line, clock, ended, SendingPriority::normal);
    sender.join();
    EXPECT_EQ(ended.outcome, "finished");
    ::poll(nullptr, 0, 300); // the last frame crosses the cable
    ::kill(::getpid(), SIGINT);
    monitor.join();
    cabled = false;
    cable.join();

    EXPECT_EQ(exit_code, int(exit_done));
    EXPECT_EQ(err.str(), "Listening on " + listening_side.slave_path() + " at 57600 baud, 8 data "
                         "bits, no parity, one stop bit; press Ctrl-C to stop\n");
    // "     0.370 s     +50 ms  TP ...": the gap shows the spacing the program gave the frames,
    // give or take the cable's relay.
    const std::regex layout(R"(^ +\d+\.\d{3} s  (      first| {4,5}\+(\d+) ms)  (.*)$)");
    const Lines lines = test::lines_of(out.str());
    const std::string fields[] = {"TP HOTBIRD TP2", "TP HOTBIRD TP2", "tagged TP"};
    const int gaps[] = {0, 50, 120};
    ASSERT_EQ(lines.size(), 3u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(lines[i], match, layout)) << lines[i];
        EXPECT_LE(std::abs((match[2].matched ? std::stoi(match[2]) : 0) - gaps[i]), 30) << lines[i];
        EXPECT_EQ(match[3].str(), fields[i] + ": position 130, NID 1, FREQ 11778, SYMB 27500, "
                                              "POL V; checksum ok, end marker ok");
    }
}

} // namespace
} // namespace tervalink::frames_tool
