// serial/ on Linux: an adapter pulled and plugged in again under a new device name, found by the
// real udev code on umockdev's testbed, woken by the add events the testbed sends. Runs under
// umockdev-wrapper.
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>
#include <umockdev.h>

#include "adapter_return.h"
#include "system_device_inventory.h"

namespace tervalink {
namespace {

// The tree of the FTDI adapter in usb_trees/, with each of `changes` made throughout.
std::string ftdi_tree(const std::vector<std::pair<std::string, std::string>>& changes = {})
{
    std::ifstream in(std::string(TERVALINK_USB_TREES) + "/ftdi_with_tty.umockdev");
    std::string text{std::istreambuf_iterator<char>(in), {}};
    for (const auto& [from, to] : changes)
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    return text;
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
// (another serial number), then it in another socket, each under a new device name.
TEST(AdapterReturnOnUdev, FoundAgainUnderANewNameByItsIdentity)
{
    UMockdevTestbed* bed = umockdev_testbed_new();
    ASSERT_TRUE(umockdev_testbed_add_from_string(bed, ftdi_tree().c_str(), nullptr));
    CountedInventory inventory;
    const std::optional<AdapterFacts> gone = adapter_on(inventory.system.adapters(), "/dev/ttyUSB0");
    ASSERT_TRUE(gone);
    const std::string usb = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1.2";
    umockdev_testbed_uevent(bed, (usb + "/1-1.2:1.0/ttyUSB0/tty/ttyUSB0").c_str(), "remove");
    for (const char* device : {"/1-1.2:1.0/ttyUSB0/tty/ttyUSB0", "/1-1.2:1.0/ttyUSB0", "/1-1.2:1.0", ""})
        umockdev_testbed_remove_device(bed, (usb + device).c_str());
    const auto arrivals = system_adapter_arrivals();
    AdapterReturn back;
    std::vector<std::string> opened;
    std::thread waiter([&] {
        back = await_adapter(*gone, "/dev/ttyUSB0", inventory, *arrivals, std::chrono::steady_clock::now() + std::chrono::seconds(30),
                             [&](const std::string& device) { opened.push_back(device); });
    });
    inventory.wait_for_looks(1);
    const std::string other = ftdi_tree({{"A50285BI", "A7004XQZ"}, {"1-1.2", "1-1.4"}, {"ttyUSB0", "ttyUSB2"}});
    ASSERT_TRUE(umockdev_testbed_add_from_string(bed, other.c_str(), nullptr));
    inventory.wait_for_looks(2);
    ASSERT_TRUE(umockdev_testbed_add_from_string(bed, ftdi_tree({{"1-1.2", "1-1.3"}, {"ttyUSB0", "ttyUSB1"}}).c_str(), nullptr));
    waiter.join();
    EXPECT_EQ(back.device.value_or("none"), "/dev/ttyUSB1");
    EXPECT_EQ(opened, std::vector<std::string>{"/dev/ttyUSB1"});
    EXPECT_EQ(inventory.looks, 3); // at the start and at each add: udev's events wake it, nothing else
    g_object_unref(bed);
}

} // namespace
} // namespace tervalink
