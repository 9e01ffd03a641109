// send through the library, as the command runs it, with a virtual clock per line and
// pseudo-terminals as the antenna units.
#include <pthread.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "text_lines.h"

#include "far_end.h"
#include "held_clock.h"
#include "send.h"
#include "send_batch.h"
#include "table_setup.h"

namespace tervalink::frames_tool {
namespace {

using Lines = std::vector<std::string>;

const std::string sample_file = TERVALINK_SAMPLE_DATA;


std::string log_path()
{
    return testing::TempDir() + "tervalink_send_" + std::to_string(::getpid()) + ".csv";
}

SendArguments hotbird_tp2(std::vector<std::string> ports)
{
    SendArguments args;
    args.ports = std::move(ports);
    args.table.assignments = {parse_assignment("pos:3=130"), parse_assignment("nid:16=1"),
                              parse_assignment("freq:16=11778"), parse_assignment("symb:16=27500"),
                              parse_assignment("pol:16=V")};
    args.choice = 3;
    args.ticks = {16};
    return args;
}

// One virtual clock per line, made in port order; the test may act on any of them.
struct VirtualClocks {
    SendEnvironment environment()
    {
        SendEnvironment env;
        env.priority = SendingPriority::normal;
        env.refresh = std::chrono::milliseconds(1);
        env.make_clock = [this] {
            auto clock = std::make_unique<VirtualClock>();
            if (on_clock)
                on_clock(*clock, made++);
            return clock;
        };
        return env;
    }
    std::function<void(VirtualClock&, int)> on_clock;
    int made = 0;
};

TEST(Send, WholeSampleFileGoesOutSlotBySlotAtTheScheduledTimes)
{
    test::FarEnd far_end;
    SendArguments args;
    args.ports = {far_end.slave_path()};
    args.table.file = sample_file;
    args.all = true;
    args.log = log_path();
    VirtualClocks clocks;
    std::ostringstream out, err;
    ASSERT_EQ(run_send(args, out, err, clocks.environment()), 0) << err.str();

    Lines logged;
    std::ifstream log(*args.log);
    for (std::string line; std::getline(log, line);)
        logged.push_back(line);
    ASSERT_EQ(logged.size(), 39u * 45 + 10);
    // Each slot sends its three rows of 6450 ticks, 19350 in all; AUTO SYMBOL comes last.
    const std::vector<std::pair<std::size_t, std::string>> spots{
        {0, "0.000,TP,23 53 00 00 1A 01 02 00 15 2A F0 55 01 82 2A"},
        {1, "300.000,TP,"},           {2, "600.000,tagged TP,"},
        {3, "2900.000,TP,"},          {44, "59400.000,tagged TP,"},
        {45, "64500.000,TP,23 53 00 01 "}, {135, "193500.000,TP,23 53 01 00 "},
        {1755, "2515500.000,auto,"},  {1764, "2533000.000,tagged auto,"}};
    for (const auto& [index, start] : spots) {
        std::string line = logged[index];
        line.erase(line.find(',') + 1, far_end.slave_path().size() + 1); // the port
        EXPECT_EQ(line.substr(0, start.size()), start) << index;
    }
    ASSERT_TRUE(far_end.wait_for_bytes(39u * 45 * 15 + 10 * 24, std::chrono::seconds(10)));
    const std::vector<std::uint8_t> bytes = far_end.bytes();
    EXPECT_EQ(bytes.size(), 39u * 45 * 15 + 10 * 24);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 15),
              (std::vector<std::uint8_t>{0x23, 0x53, 0x00, 0x00, 0x1A, 0x01, 0x02, 0x00, 0x15,
                                         0x2A, 0xF0, 0x55, 0x01, 0x82, 0x2A}));
    const Lines printed = test::lines_of(out.str());
    EXPECT_EQ(printed.front(), "14 updates, 39 rows and AUTO SYMBOL: 42 min 16 s");
    EXPECT_EQ(printed.back(), far_end.slave_path() + ": completed, 14 updates, 1765 frames");
}

TEST(Send, BatchWithBadSlotsListsEveryRefusalAndOpensNothing)
{
    SendArguments args;
    args.ports = {"/nonexistent/ttyUSB9"}; // opening it would fail with status 4
    args.table.file = sample_file;
    args.table.assignments = {parse_assignment("freq:4=9000"), parse_assignment("symb:7=x")};
    args.all = true;
    std::ostringstream out, err;
    EXPECT_EQ(run_send(args, out, err), 3);
    EXPECT_EQ(out.str(), "ASTRA 4N: Frequency range must be within 10700 ~12750.\n"
                         "EUTELSAT 9A: NID, FREQ, SYMBOLRATE must be filled only in numbers.\n");
    EXPECT_EQ(err.str(), "");
}

// A row without NID, FREQ and SYMB is not sent, and AUTO SYMBOL needs all ten rates.
TEST(Send, WholeTableSendsRowsWithDataAndAutoSymbolOnlyWhenComplete)
{
    TableArguments args;
    args.file = sample_file;
    args.assignments = {parse_assignment("nid:14="), parse_assignment("freq:14="),
                        parse_assignment("symb:14="), parse_assignment("auto:4=")};
    std::ostringstream err;
    const Batch batch = whole_table(*build_table(args, err));
    EXPECT_EQ(batch_summary(batch), "13 updates, 38 rows: 40 min 51 s");
    EXPECT_TRUE(batch.refusals.empty());
    EXPECT_EQ(batch.updates[1].rows, (std::vector<int>{1, 27}));
}

TEST(Send, PortThatCannotBeOpenedSendsToNoPort)
{
    test::FarEnd far_end;
    std::ostringstream out, err;
    EXPECT_EQ(run_send(hotbird_tp2({far_end.slave_path(), "/nonexistent/ttyUSB9"}), out, err), 4);
    EXPECT_EQ(err.str(), "Cannot open /nonexistent/ttyUSB9: no such device; nothing was sent\n");
    EXPECT_TRUE(far_end.bytes().empty());
}

TEST(Send, UnpluggedLineEndsAloneAndTheOthersFinish)
{
    test::FarEnd kept;
    test::PseudoTerminal unplugged;
    VirtualClocks clocks;
    clocks.on_clock = [&](VirtualClock& clock, int line) {
        if (line == 1) // halfway through the pause after the seventh frame (written at 6.0 s)
            clock.at(std::chrono::milliseconds(6100), [&] { unplugged.close_master(); });
    };
    std::ostringstream out, err;
    const SendArguments args = hotbird_tp2({kept.slave_path(), unplugged.slave_path()});
    EXPECT_EQ(run_send(args, out, err, clocks.environment()), 4);

    const std::string gone = "Cannot send to " + unplugged.slave_path() +
                             ": the device has gone (unplugged?)";
    EXPECT_EQ(err.str(), gone + "\n");
    const Lines printed = test::lines_of(out.str());
    ASSERT_GE(printed.size(), 2u);
    EXPECT_EQ(printed[printed.size() - 2], kept.slave_path() + ": completed, 1 update, 45 frames");
    EXPECT_EQ(printed.back(), unplugged.slave_path() +
                                  ": failed in update 1 of 1, HOTBIRD TP2, repetition 3 of 15 "
                                  "after 7 frames: " + gone);
    ASSERT_TRUE(kept.wait_for_bytes(45 * 15, std::chrono::seconds(10)));
    EXPECT_EQ(kept.bytes().size(), 45u * 15);
}

struct SignalCase {
    const char* name;
    int signal;
    int pause; // the signal comes in this pause: pause + 1 frames are out
    int status;
    const char* summary;
};

class SendSignals : public testing::TestWithParam<SignalCase> {};

TEST_P(SendSignals, EndBetweenFramesClosePortsAndSayWhatWasSent)
{
    const SignalCase& c = GetParam();
    // The signal is held in every thread, so only the run's own wait can take it.
    sigset_t held;
    sigemptyset(&held);
    sigaddset(&held, SIGINT);
    sigaddset(&held, SIGTERM);
    sigset_t previous;
    ::pthread_sigmask(SIG_BLOCK, &held, &previous);
    int status = -1;
    std::ostringstream out, err;
    {
        test::FarEnd far_end;
        test::HeldClock clock;
        clock.hold_at_pause(c.pause);
        SendEnvironment env;
        env.priority = SendingPriority::normal;
        env.refresh = std::chrono::milliseconds(1);
        env.make_clock = [&] {
            struct Borrowed : TransmissionClock {
                explicit Borrowed(TransmissionClock& clock) : held(clock) {}
                Time now() override { return held.now(); }
                bool sleep_until(Time deadline, StopRequest& stop) override
                {
                    return held.sleep_until(deadline, stop);
                }
                TransmissionClock& held;
            };
            return std::make_unique<Borrowed>(clock);
        };
        std::thread run([&] { status = run_send(hotbird_tp2({far_end.slave_path()}), out, err, env); });
        ASSERT_TRUE(clock.wait_until_held());
        ::kill(::getpid(), c.signal);
        run.join();
        ASSERT_TRUE(far_end.wait_for_bytes(15u * (c.pause + 1), std::chrono::seconds(10)));
        EXPECT_EQ(far_end.bytes().size(), 15u * (c.pause + 1));
        EXPECT_EQ(test::lines_of(out.str()).back(), far_end.slave_path() + c.summary);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(err.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    CtrlCAndTerm, SendSignals,
    testing::Values(SignalCase{"SigintInTheFirstPause", SIGINT, 0, 130,
                               ": stopped by SIGINT in update 1 of 1, HOTBIRD TP2, repetition 1 "
                               "of 15 after 1 frame"},
                    SignalCase{"SigtermAfterATaggedFrame", SIGTERM, 5, 143,
                               ": stopped by SIGTERM in update 1 of 1, HOTBIRD TP2, repetition 2 "
                               "of 15 after 6 frames"}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

} // namespace
} // namespace tervalink::frames_tool
