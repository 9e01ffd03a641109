// serial/: which adapter is the one that went away, and the wait for it to come back, on the
// shared fake inventory (both systems' device names) and this system's arrivals.
#include <gtest/gtest.h>

#include "adapter_return.h"
#include "fake_arrivals.h"
#include "fake_inventory.h"

namespace tervalink {
namespace {

using test::ftdi;

// The serial number wins wherever the adapter is plugged in; without one, the location with the
// USB ID; with neither, nothing is the same adapter.
TEST(AdapterReturn, SameAdapterByItsIdentity)
{
    const AdapterFacts serial = ftdi("A5", "1-1.2", {"/dev/ttyUSB0"}), none = ftdi("", "1-1.2", {"/dev/ttyUSB0"});
    AdapterFacts other_chip = ftdi("A5", "1-1.2", {}), no_usb;
    other_chip.usb_id = "0403:6015";
    const struct { AdapterFacts gone, candidate; bool same; } cases[] = {
        {serial, ftdi("A5", "1-1.3", {"/dev/ttyUSB1"}), true}, {serial, ftdi("A5", "Port_#0003.Hub_#0001", {"\\\\.\\COM7"}), true},
        {serial, ftdi("B6", "1-1.2", {"/dev/ttyUSB0"}), false}, {serial, ftdi("", "1-1.2", {"/dev/ttyUSB0"}), false},
        {serial, other_chip, false}, {none, ftdi("", "1-1.2", {"/dev/ttyUSB1"}), true}, {none, ftdi("", "1-1.3", {}), false},
        {none, ftdi("A5", "1-1.2", {}), false}, {ftdi("", "", {}), ftdi("", "", {}), false}, {no_usb, no_usb, false}};
    for (const auto& c : cases)
        EXPECT_EQ(same_adapter(c.gone, c.candidate), c.same) << c.gone.serial_number << " " << c.candidate.location;
    EXPECT_EQ(unrecognisable_reason(serial) + unrecognisable_reason(none), "");
    EXPECT_EQ(unrecognisable_reason(ftdi("", "", {})), "its adapter has neither a USB serial number nor a known USB location");
    EXPECT_EQ(unrecognisable_reason(no_usb), "it is no USB adapter that the system names");
    EXPECT_EQ(adapter_on({none, ftdi("B1", "1-4", {"\\\\.\\COM3", "\\\\.\\COM4"})}, "\\\\.\\COM4")->serial_number, "B1");
    EXPECT_FALSE(adapter_on({none}, "/dev/ttyUSB1"));
}

// The inventory looked at once at the start and once after each arrival: the port of a two-port
// adapter at the same place, a port that does not open at first, an unreadable inventory, a stop.
TEST(AdapterReturn, WaitsForTheSameAdapterAndOpensItsPort)
{
    test::FakeInventory inventory;
    const auto plug = [&](AdapterFacts facts) { return [&inventory, facts] { inventory.failure.reset(); inventory.plugged_in = {facts}; }; };
    const auto look = ArrivalWait::look_again;
    const struct {
        std::string gone_device;
        std::vector<test::ScriptedArrivals::Step> script;
        std::string refused, device; // refused once; opened (empty: none)
        int waits;
    } cases[] = {
        {"\\\\.\\COM6", {{plug(ftdi("D1", "1-5", {"\\\\.\\COM8", "\\\\.\\COM9"})), look}}, "", "\\\\.\\COM9", 1},
        {"\\\\.\\COM5", {{plug(ftdi("D1", "1-5", {"/dev/ttyUSB1"})), look}, {nullptr, look}}, "/dev/ttyUSB1", "/dev/ttyUSB1", 2},
        {"\\\\.\\COM5", {{[&] { inventory.failure = "busy"; }, look}, {plug(ftdi("D1", "2-1", {"/dev/ttyUSB3"})), look}}, "", "/dev/ttyUSB3", 2},
        {"\\\\.\\COM5", {{nullptr, ArrivalWait::interrupted}}, "", "", 1}};
    for (const auto& c : cases) {
        inventory.plugged_in = {};
        test::ScriptedArrivals arrivals;
        arrivals.script = c.script;
        std::vector<std::string> opened;
        const AdapterReturn back = await_adapter(ftdi("D1", "1-4", {"\\\\.\\COM5", "\\\\.\\COM6"}), c.gone_device, inventory,
                                                 arrivals, std::chrono::steady_clock::now(), [&](const std::string& device) {
            opened.push_back(device);
            if (device == c.refused && opened.size() == 1)
                throw Failure("permission denied");
        });
        EXPECT_EQ(back.device.value_or(""), c.device);
        EXPECT_EQ(opened.size(), c.refused.empty() ? !c.device.empty() : 2u);
        EXPECT_EQ(back.interrupted, c.device.empty());
        EXPECT_EQ(back.open_failure, c.refused.empty() ? "" : "permission denied");
        std::vector<std::string> calls{"listen"};
        calls.insert(calls.end(), static_cast<std::size_t>(c.waits), "wait");
        calls.push_back("stop");
        EXPECT_EQ(arrivals.calls, calls) << c.device;
    }
}

// This system's arrivals: a deadline that has passed, and a stop, end the wait at once, the stop
// every later one too.
TEST(AdapterArrivals, StopAndDeadlineEndTheWait)
{
    const auto arrivals = system_adapter_arrivals();
    arrivals->listen();
    EXPECT_EQ(arrivals->wait(std::chrono::steady_clock::now()), ArrivalWait::timed_out);
    arrivals->interrupt();
    const auto far = std::chrono::steady_clock::now() + std::chrono::hours(1);
    EXPECT_EQ(arrivals->wait(far), ArrivalWait::interrupted);
    EXPECT_EQ(arrivals->wait(far), ArrivalWait::interrupted);
    arrivals->stop_listening();
}

} // namespace
} // namespace tervalink
