// tervalink-frames on Linux: SIGINT and SIGTERM during a send, and the monitor, which reads what a
// null-modem cable of two pseudo-terminals carries.
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <regex>
#include <sstream>
#include <thread>

#include "exit_codes.h"
#include "far_end.h"
#include "held_clock.h"
#include "monitor.h"
#include "logind_inhibitors.h"
#include "ports.h"
#include "pseudo_terminal.h"
#include "serial_line.h"
#include "system_device_inventory.h"
#include "text_lines.h"
#include "tools_test_support.h"
#include "transmitter.h"
#include "worked_frames.h"

namespace tervalink::frames_tool {

const std::string missing_port = "COM 251 (/dev/ttyACM51): no such device";
const std::string device_path_example = "/dev/ttyUSB0";
const std::string missing_capture =
    "Cannot open /nonexistent/capture.bin: No such file or directory\n";

namespace {

// SIGINT and SIGTERM are held in every thread, so only a run's own wait can take them.
class SignalsHeld {
public:
    SignalsHeld()
    {
        sigemptyset(&held_);
        sigaddset(&held_, SIGINT);
        sigaddset(&held_, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &held_, &previous_);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t held_{}, previous_{};
};

// The test keeps the held clock; the line gets one that passes each call on to it.
struct Borrowed : TransmissionClock {
    explicit Borrowed(TransmissionClock& clock) : held(clock) {}
    Time now() override { return held.now(); }
    bool sleep_until(Time at, StopRequest& stop) override { return held.sleep_until(at, stop); }
    TransmissionClock& held;
};

// SIGINT and SIGTERM end the run in the pause they come in: no frame is cut, the ports close, the
// machine may sleep again and the summary says what went out.
TEST(Send, SignalsEndTheRunBetweenFrames)
{
    const std::tuple<int, int, int, std::string> cases[] = { // signal, pause, status, summary
        {SIGINT, 0, 130, ": stopped by SIGINT in update 1 of 1, HOTBIRD TP2, repetition 1 of 15 "
                         "after 1 frame"},
        {SIGTERM, 5, 143, ": stopped by SIGTERM in update 1 of 1, HOTBIRD TP2, repetition 2 of 15 "
                          "after 6 frames"}};
    const SignalsHeld held;
    for (const auto& [signal, pause, status, summary] : cases) {
        test::FarEnd far_end;
        test::HeldClock clock;
        clock.hold_at_pause(pause); // pause + 1 frames are out when the signal comes
        const auto awake = std::make_shared<test::FakeSleepGuard>();
        const SendEnvironment env =
            test_environment([&] { return std::make_unique<Borrowed>(clock); }, awake);
        int exit_status = -1;
        std::ostringstream out, err;
        std::thread run([&] {
            exit_status =
                run_send(parse_send_arguments(hotbird_tp2({far_end.device_path()})), out, err, env);
        });
        EXPECT_TRUE(clock.wait_until_held());
        EXPECT_TRUE(awake->held());
        ::kill(::getpid(), signal);
        run.join();
        EXPECT_EQ(std::vector<int>({awake->taken, awake->released}), std::vector({1, 1}));
        EXPECT_EQ(exit_status, status);
        EXPECT_EQ(err.str(), "");
        EXPECT_EQ(test::lines_of(out.str()).back(), far_end.device_path() + summary);
        EXPECT_TRUE(far_end.wait_for_bytes(15u * (pause + 1), std::chrono::seconds(10)));
        EXPECT_EQ(far_end.bytes().size(), 15u * (pause + 1));
    }
}

// The system's own guard, against python3-dbusmock's logind (tests/support/private_system_bus.sh):
// logind lists Tervalink's sleep inhibitor during the run and none after it, however it ended.
TEST(SendKeepsTheMachineAwake, LogindListsTheInhibitorOnlyDuringTheRun)
{
    enum class End { completed, unplugged, sigint };
    const SignalsHeld held;
    for (const auto& [end, status] : {std::pair{End::completed, 0}, {End::unplugged, 4}, {End::sigint, 130}}) {
        test::FarEnd far_end;
        test::HeldClock clock;
        clock.hold_at_pause(2);
        const SendEnvironment env = test_environment([&] { return std::make_unique<Borrowed>(clock); },
                                                     std::make_shared<SystemSleepGuard>());
        int exit_status = -1;
        std::ostringstream out, err;
        std::thread run([&] {
            exit_status = run_send(parse_send_arguments(hotbird_tp2({far_end.device_path()})), out, err, env);
        });
        EXPECT_TRUE(clock.wait_until_held());
        EXPECT_EQ(test::logind_inhibitors(),
                  Lines{"sleep:idle | Tervalink | Tervalink is sending an update to the antenna unit | block"});
        if (end == End::sigint)
            ::kill(::getpid(), SIGINT);
        if (end == End::unplugged)
            far_end.unplug();
        clock.release();
        run.join();
        EXPECT_EQ(exit_status, status) << err.str();
        EXPECT_TRUE(test::no_inhibitors_within_10_s());
    }
}

// Run with DBUS_SYSTEM_BUS_ADDRESS at a missing socket: the update goes out as before, and send
// says in one line that the machine may sleep, unless --quiet.
TEST(SendKeepsTheMachineAwake, WithoutASystemBusTheUpdateStillCompletes)
{
    for (const bool quiet : {false, true}) {
        test::FarEnd far_end;
        std::ostringstream out, err;
        Args args = hotbird_tp2({far_end.device_path()});
        if (quiet)
            args.push_back("--quiet");
        EXPECT_EQ(run_send(parse_send_arguments(args), out, err,
                           test_environment(virtual_clocks, std::make_shared<SystemSleepGuard>())), 0);
        EXPECT_EQ(err.str(), quiet ? "" : "tervalink-frames: note: the machine may go to sleep during the update: "
                                          "the system bus cannot be reached (No such file or directory); switch "
                                          "its automatic sleep off until the update ends\n");
        EXPECT_TRUE(far_end.wait_for_bytes(45 * 15, std::chrono::seconds(10)));
    }
}

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

// Run by CTest under umockdev, with ModemManager present: on usb_trees/cdc_acm_with_tty.umockdev
// the port gets ModemManager's note; on cdc_acm_ignored_by_modem_manager.umockdev, the same
// adapter marked ID_MM_DEVICE_IGNORE, none.
TEST(PortsOnUsbTree, ModemManagerProbesAnAcmPortNotMarkedForIt)
{
    const bool marked = std::getenv("TERVALINK_MM_MARKED") != nullptr;
    SystemDeviceInventory inventory([] { return true; });
    std::ostringstream out, err;
    EXPECT_EQ(run_ports(inventory, out, err), 0);
    EXPECT_EQ(out.str(), "COM 200\t/dev/ttyACM0\tArduino SA Uno R3 (CDC ACM)\tUSB 2341:0043 serial "
                         "75833353035351F0D0F1 at 1-4\n");
    EXPECT_EQ(err.str(), marked ? ""
                                : "tervalink-frames: note: An Arduino SA Uno R3 (CDC ACM) (2341:0043) "
                                  "is on COM 200 (/dev/ttyACM0), but ModemManager probes a new "
                                  "ttyACM port for several seconds: wait a few seconds after "
                                  "plugging it in, or mark it ID_MM_DEVICE_IGNORE in a udev rule.\n");
}

} // namespace
} // namespace tervalink::frames_tool
