// send on Linux: SIGINT and SIGTERM during a send, and the system's own sleep guard.
#include <unistd.h>

#include <csignal>
#include <sstream>
#include <thread>

#include "fake_arrivals.h"
#include "fake_inventory.h"
#include "far_end.h"
#include "held_clock.h"
#include "logind_inhibitors_linux.h"
#include "signals_held_linux.h"
#include "text_lines.h"
#include "tools_test_support.h"

namespace tervalink::frames_tool {
namespace {

// The test keeps the held clock; the line gets one that passes each call on to it.
struct Borrowed : TransmissionClock {
    explicit Borrowed(TransmissionClock& clock) : held(clock) {}
    Time now() override { return held.now(); }
    bool sleep_until(Time at, StopRequest& stop) override { return held.sleep_until(at, stop); }
    TransmissionClock& held;
};

// SIGTERM ends the run in the pause it comes in: no frame is cut, the ports close, the machine may
// sleep again and the summary says what went out. SIGINT takes the same way; its status and
// summary are checked with the wait for the adapter, below.
TEST(Send, SigtermEndsTheRunBetweenFrames)
{
    const SignalsHeld held;
    test::FarEnd far_end;
    test::HeldClock clock;
    clock.hold_at_pause(5); // six frames are out when the signal comes
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
    ::kill(::getpid(), SIGTERM);
    run.join();
    EXPECT_EQ(std::vector<int>({awake->taken, awake->released}), std::vector({1, 1}));
    EXPECT_EQ(exit_status, 143);
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(test::lines_of(out.str()).back(),
              far_end.device_path() + ": stopped by SIGTERM in update 1 of 1, HOTBIRD TP2, "
                                      "repetition 2 of 15 after 6 frames");
    EXPECT_TRUE(far_end.wait_for_bytes(6 * 15, std::chrono::seconds(10)));
    EXPECT_EQ(far_end.bytes().size(), 6u * 15);
}

// The system's own guard, against python3-dbusmock's logind (tests/support/private_system_bus.sh):
// logind lists Tervalink's sleep inhibitor during the run and none after it. The run lets its
// hold go in one place however it ends, as the fake guard shows for each end.
TEST(SendKeepsTheMachineAwake, LogindListsTheInhibitorOnlyDuringTheRun)
{
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
    clock.release();
    run.join();
    EXPECT_EQ(exit_status, 0) << err.str();
    EXPECT_TRUE(test::no_inhibitors_within_10_s());
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

// SIGINT while the line waits for its adapter: the wait ends at once, the run as on any Ctrl-C
// (130).
TEST(Send, SigintDuringTheWaitForTheAdapterEndsTheRun)
{
    const SignalsHeld held;
    test::FarEnd far_end;
    SendEnvironment env = test_environment([&] {
        auto clock = std::make_unique<VirtualClock>();
        clock->at(std::chrono::milliseconds(6100), [&] { far_end.unplug(); });
        return clock;
    });
    env.device_root = far_end.device_root();
    env.make_inventory = [&] {
        auto inventory = std::make_unique<test::FakeInventory>();
        inventory->plugged_in = {test::ftdi("A50285BI", "1-1.2", {port_address(far_end.port_number(), far_end.device_root()).device_path})};
        return inventory;
    };
    env.make_arrivals = [&] { // the signal in the first wait; the next holds until the stop ends it
        auto arrivals = std::make_unique<test::ScriptedArrivals>();
        arrivals->script = {{[] { ::kill(::getpid(), SIGINT); }}};
        arrivals->hold = true;
        return arrivals;
    };
    std::ostringstream out, err;
    EXPECT_EQ(run_send(parse_send_arguments(hotbird_tp2({far_end.port_text(), "--reconnect", "60"})), out, err, env), 130);
    EXPECT_EQ(test::lines_of(out.str()).back(),
              far_end.port_label() + ": stopped by SIGINT in update 1 of 1, HOTBIRD TP2, repetition 3 of 15 after 7 frames");
}

} // namespace
} // namespace tervalink::frames_tool
