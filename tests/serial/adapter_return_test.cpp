// serial/: which adapter is the one that went away, and the wait for it to come back, on the
// shared fake inventory (both systems' device names) and this system's arrivals.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "adapter_return.h"
#include "fake_arrivals.h"
#include "fake_inventory.h"

namespace tervalink {
namespace {

AdapterFacts ftdi(const std::string& serial, const std::string& location,
                  const std::vector<std::string>& devices)
{
    AdapterFacts facts;
    facts.usb_id = "0403:6001";
    facts.serial_number = serial;
    facts.location = location;
    facts.devices = devices;
    return facts;
}

// The serial number wins wherever the adapter is plugged in; without one, the location with the
// USB ID; with neither, nothing is the same adapter.
TEST(AdapterReturn, SameAdapterByItsIdentity)
{
    const AdapterFacts with_serial = ftdi("A50285BI", "1-1.2", {"/dev/ttyUSB0"});
    const AdapterFacts without = ftdi("", "1-1.2", {"/dev/ttyUSB0"});
    AdapterFacts other_chip = ftdi("A50285BI", "1-1.2", {"/dev/ttyUSB1"});
    other_chip.usb_id = "0403:6015";
    AdapterFacts no_usb;
    no_usb.devices = {"/dev/ttyS0"};
    const struct { const char* what; AdapterFacts gone, candidate; bool same; } cases[] = {
        {"serial, other socket", with_serial, ftdi("A50285BI", "1-1.3", {"/dev/ttyUSB1"}), true},
        {"serial, other COM", with_serial, ftdi("A50285BI", "Port_#0003.Hub_#0001", {"\\\\.\\COM7"}), true},
        {"other serial, same socket", with_serial, ftdi("A50285BJ", "1-1.2", {"/dev/ttyUSB0"}), false},
        {"serial gone missing", with_serial, ftdi("", "1-1.2", {"/dev/ttyUSB0"}), false},
        {"other chip, same serial", with_serial, other_chip, false},
        {"no serial, same socket", without, ftdi("", "1-1.2", {"/dev/ttyUSB1"}), true},
        {"no serial, other socket", without, ftdi("", "1-1.3", {"/dev/ttyUSB0"}), false},
        {"no serial, a serial now", without, ftdi("A50285BI", "1-1.2", {"/dev/ttyUSB0"}), false},
        {"no serial, other chip", without, [&] { auto c = other_chip; c.serial_number.clear(); return c; }(), false},
        {"no serial, no location", ftdi("", "", {}), ftdi("", "", {"/dev/ttyUSB0"}), false},
        {"no USB ID", no_usb, no_usb, false}};
    for (const auto& c : cases)
        EXPECT_EQ(same_adapter(c.gone, c.candidate), c.same) << c.what;
    EXPECT_EQ(unrecognisable_reason(with_serial), "");
    EXPECT_EQ(unrecognisable_reason(without), "");
    EXPECT_EQ(unrecognisable_reason(ftdi("", "", {})),
              "its adapter has neither a USB serial number nor a known USB location");
    EXPECT_EQ(unrecognisable_reason(no_usb), "it is no USB adapter that the system names");
    const std::vector<AdapterFacts> listed{without, ftdi("B1", "1-4", {"\\\\.\\COM3", "\\\\.\\COM4"})};
    EXPECT_EQ(adapter_on(listed, "\\\\.\\COM4")->serial_number, "B1");
    EXPECT_FALSE(adapter_on(listed, "/dev/ttyUSB1"));
}

// The adapter found again under its new name (Linux's and Windows' alike), the inventory looked
// at once at the start and once after each arrival, the port it came back on opened; another
// adapter, a port that does not open yet, an unreadable inventory, a stop and the deadline.
TEST(AdapterReturn, WaitsForTheSameAdapterAndOpensItsPort)
{
    const AdapterFacts gone = ftdi("A50285BI", "1-1.2", {"/dev/ttyUSB0"});
    const AdapterFacts dual = ftdi("D1", "1-4", {"\\\\.\\COM5", "\\\\.\\COM6"});
    test::FakeInventory inventory;
    const auto plug = [&](AdapterFacts facts) { return [&inventory, facts] { inventory.plugged_in = {facts}; }; };
    const auto look = ArrivalWait::look_again;
    const struct {
        const char* what;
        AdapterFacts gone;
        std::string gone_device;
        std::vector<AdapterFacts> at_start;
        std::vector<test::ScriptedArrivals::Step> script;
        std::string refused; // the device whose open fails once
        std::string device;  // opened; empty when none
        std::vector<std::string> opened;
        int waits;
        bool interrupted;
    } cases[] = {
        {"back under a new name", gone, "/dev/ttyUSB0", {},
         {{plug(ftdi("A50285BI", "1-1.3", {"/dev/ttyUSB1"})), look}}, "", "/dev/ttyUSB1", {"/dev/ttyUSB1"}, 1, false},
        {"back already", gone, "/dev/ttyUSB0", {ftdi("A50285BI", "1-1.2", {"/dev/ttyUSB1"})}, {}, "", "/dev/ttyUSB1",
         {"/dev/ttyUSB1"}, 0, false},
        {"the second port of two", dual, "\\\\.\\COM6", {},
         {{[&] { inventory.plugged_in = {}; }, look}, {plug(ftdi("D1", "1-5", {"\\\\.\\COM8", "\\\\.\\COM9"})), look}},
         "", "\\\\.\\COM9", {"\\\\.\\COM9"}, 2, false},
        {"another adapter, then the deadline", gone, "/dev/ttyUSB0", {},
         {{plug(ftdi("Z9", "1-1.2", {"/dev/ttyUSB1"})), look}, {nullptr, ArrivalWait::timed_out}}, "", "", {}, 2, false},
        {"its port refused once", gone, "/dev/ttyUSB0", {},
         {{plug(ftdi("A50285BI", "1-1.2", {"/dev/ttyUSB1"})), look}, {nullptr, look}}, "/dev/ttyUSB1", "/dev/ttyUSB1",
         {"/dev/ttyUSB1", "/dev/ttyUSB1"}, 2, false},
        {"stopped", gone, "/dev/ttyUSB0", {}, {{nullptr, ArrivalWait::interrupted}}, "", "", {}, 1, true},
        {"unreadable inventory", gone, "/dev/ttyUSB0", {},
         {{[&] { inventory.failure = "busy"; }, look}, {[&] { inventory.failure.reset(); inventory.plugged_in = {ftdi("A50285BI", "2-1", {"/dev/ttyUSB3"})}; }, look}},
         "", "/dev/ttyUSB3", {"/dev/ttyUSB3"}, 2, false}};
    for (const auto& c : cases) {
        inventory.plugged_in = c.at_start;
        inventory.failure.reset();
        test::ScriptedArrivals arrivals;
        arrivals.script = c.script;
        std::vector<std::string> opened;
        bool refused_once = false;
        const AdapterReturn back = await_adapter(
            c.gone, c.gone_device, inventory, arrivals, std::chrono::steady_clock::now(),
            [&](const std::string& device) {
                opened.push_back(device);
                if (device == c.refused && !refused_once) {
                    refused_once = true;
                    throw Failure("permission denied");
                }
            });
        EXPECT_EQ(back.device.value_or(""), c.device) << c.what;
        EXPECT_EQ(opened, c.opened) << c.what;
        EXPECT_EQ(back.interrupted, c.interrupted) << c.what;
        EXPECT_EQ(back.open_failure, c.refused.empty() ? "" : "permission denied") << c.what;
        std::vector<std::string> calls{"listen"};
        calls.insert(calls.end(), static_cast<std::size_t>(c.waits), "wait");
        calls.push_back("stop");
        EXPECT_EQ(arrivals.calls, calls) << c.what;
    }
}

// This system's arrivals: a stop ends the wait in progress and every later one at once; a
// deadline that has passed ends it at once. Neither waits for a device.
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
