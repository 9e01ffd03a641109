// serial/ on Linux: an adapter pulled and plugged in again under a new device name, found by the
// real udev code on umockdev's testbed, woken by the add events the testbed sends. Runs under
// umockdev-wrapper.
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <umockdev.h>

#include "adapter_return.h"
#include "system_device_inventory.h"

namespace tervalink {
namespace {

std::string replaced(std::string text, const std::vector<std::pair<std::string, std::string>>& changes)
{
    for (const auto& [from, to] : changes)
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    return text;
}

// The blocks of the tree in usb_trees/ whose device path holds `part`, and their paths.
std::pair<std::string, std::vector<std::string>> tree(const std::string& name, const std::string& part)
{
    std::ifstream in(std::string(TERVALINK_USB_TREES) + "/" + name + ".umockdev");
    std::string blocks, block, line;
    std::vector<std::string> paths;
    while (std::getline(in, line) || !block.empty()) {
        if (!line.empty() && in) {
            block += line + "\n";
            continue;
        }
        if (block.find(part) != std::string::npos) {
            blocks += block + "\n";
            paths.push_back("/sys" + block.substr(3, block.find('\n') - 3));
        }
        block.clear();
    }
    return {blocks, paths};
}

// The system's inventory, counting its reads.
struct CountedInventory : DeviceInventory {
    std::vector<InventoryDevice> devices() override { return system.devices(); }
    std::vector<AdapterFacts> adapters() override
    {
        auto found = system.adapters();
        const std::lock_guard lock(mutex);
        ++looks;
        read.notify_all();
        return found;
    }
    void wait_for_looks(int count)
    {
        std::unique_lock lock(mutex);
        read.wait_for(lock, std::chrono::seconds(20), [&] { return looks >= count; });
    }
    SystemDeviceInventory system{[] { return false; }};
    std::mutex mutex;
    std::condition_variable read;
    int looks = 0;
};

// Pulled (its devices removed, the port first), then another adapter plugged in that is not it
// (another serial number; the same chip in another socket), then it in a socket of its own
// (by its serial number) or its old one (without), each under a new device name.
TEST(AdapterReturnOnUdev, FoundAgainUnderANewNameByItsIdentity)
{
    const struct { std::string tree, usb_device, tty; std::vector<std::pair<std::string, std::string>> other, back; } cases[] = {
        {"ftdi_with_tty", "1-1.2", "ttyUSB0", {{"A50285BI", "A7004XQZ"}, {"1-1.2", "1-1.4"}, {"ttyUSB0", "ttyUSB2"}},
         {{"1-1.2", "1-1.3"}, {"ttyUSB0", "ttyUSB1"}}},
        {"two_ch340_without_serial", "1-1.3", "ttyUSB1", {{"1-1.3", "1-1.5"}, {"ttyUSB1", "ttyUSB3"}}, {{"ttyUSB1", "ttyUSB2"}}}};
    for (const auto& c : cases) {
        UMockdevTestbed* bed = umockdev_testbed_new();
        const std::string whole = tree(c.tree, "/").first;
        const std::string adapter = tree(c.tree, "/" + c.usb_device).first;
        ASSERT_TRUE(umockdev_testbed_add_from_string(bed, whole.c_str(), nullptr));
        CountedInventory inventory;
        const std::optional<AdapterFacts> gone = adapter_on(inventory.system.adapters(), "/dev/" + c.tty);
        ASSERT_TRUE(gone) << c.tree;
        const auto pulled = tree(c.tree, "/" + c.usb_device).second;
        umockdev_testbed_uevent(bed, pulled.back().c_str(), "remove");
        for (auto path = pulled.rbegin(); path != pulled.rend(); ++path)
            umockdev_testbed_remove_device(bed, path->c_str());
        const auto arrivals = system_adapter_arrivals();
        AdapterReturn back;
        std::vector<std::string> opened;
        std::thread waiter([&] {
            back = await_adapter(*gone, "/dev/" + c.tty, inventory, *arrivals,
                                 std::chrono::steady_clock::now() + std::chrono::seconds(30),
                                 [&](const std::string& device) { opened.push_back(device); });
        });
        inventory.wait_for_looks(1);
        ASSERT_TRUE(umockdev_testbed_add_from_string(bed, replaced(adapter, c.other).c_str(), nullptr));
        inventory.wait_for_looks(2);
        ASSERT_TRUE(umockdev_testbed_add_from_string(bed, replaced(adapter, c.back).c_str(), nullptr));
        waiter.join();
        const std::string device = "/dev/" + replaced(c.tty, {c.back.back()});
        EXPECT_EQ(back.device.value_or("none"), device) << c.tree;
        EXPECT_EQ(opened, std::vector<std::string>{device}) << c.tree;
        EXPECT_EQ(inventory.looks, 3) << c.tree; // at the start and at each add: udev's events wake it, nothing else
        g_object_unref(bed);
    }
}

} // namespace
} // namespace tervalink
