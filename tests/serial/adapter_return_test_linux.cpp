// serial/ on Linux: an adapter pulled and plugged in again under a new device name, found by the
// real udev code through umockdev's testbed, woken by udev's add event. Runs under
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

const std::string trees = TERVALINK_USB_TREES;
const std::string hub = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/";

std::string read_tree(const std::string& name)
{
    std::ifstream in(trees + "/" + name + ".umockdev");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The blocks of a tree whose device path holds `part`.
std::string blocks_with(const std::string& tree, const std::string& part)
{
    std::istringstream in(tree + "\n");
    std::string block, kept, line;
    while (std::getline(in, line)) {
        if (!line.empty()) {
            block += line + "\n";
            continue;
        }
        if (block.find(part) != std::string::npos && block.starts_with("P: "))
            kept += block + "\n";
        block.clear();
    }
    return kept;
}

// The system's inventory, telling the test each time it has been read.
struct WatchedInventory : DeviceInventory {
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

struct Testbed {
    Testbed() : bed(umockdev_testbed_new()) {}
    ~Testbed() { g_object_unref(bed); }
    void add(const std::string& tree) { ASSERT_TRUE(umockdev_testbed_add_from_string(bed, tree.c_str(), nullptr)); }
    // Every device of the adapter, the port first, as the kernel removes them.
    void pull(const std::string& tree, const std::string& usb_device)
    {
        std::vector<std::string> paths;
        std::istringstream in(blocks_with(tree, "/" + usb_device));
        for (std::string line; std::getline(in, line);)
            if (line.starts_with("P: "))
                paths.push_back("/sys" + line.substr(3));
        umockdev_testbed_uevent(bed, paths.back().c_str(), "remove");
        for (auto path = paths.rbegin(); path != paths.rend(); ++path)
            umockdev_testbed_remove_device(bed, path->c_str());
    }
    UMockdevTestbed* bed;
};

// Each case: the tree, the adapter pulled (its USB device and port), what is plugged in while it
// is away (a look each, none of them it: another serial number; the same chip in another socket),
// and the tree it comes back as.
TEST(AdapterReturnOnUdev, FoundAgainUnderANewNameByItsIdentity)
{
    const std::string ftdi = read_tree("ftdi_with_tty");
    const std::string ch340 = read_tree("two_ch340_without_serial");
    const std::string ch340_back = replaced(blocks_with(ch340, "/1-1.3"), "ttyUSB1", "ttyUSB2");
    const struct {
        const char* what;
        std::string tree, usb_device, tty;
        std::vector<std::string> others;
        std::string back, device;
    } cases[] = {
        {"by its serial number, in another socket", ftdi, "1-1.2", "ttyUSB0",
         {replaced(replaced(replaced(ftdi, "A50285BI", "A7004XQZ"), "1-1.2", "1-1.4"), "ttyUSB0", "ttyUSB2")},
         replaced(replaced(ftdi, "1-1.2", "1-1.3"), "ttyUSB0", "ttyUSB1"), "/dev/ttyUSB1"},
        {"without one, by its socket", ch340, "1-1.3", "ttyUSB1",
         {replaced(replaced(blocks_with(ch340, "/1-1.3"), "1-1.3", "1-1.5"), "ttyUSB1", "ttyUSB3")},
         ch340_back, "/dev/ttyUSB2"}};
    for (const auto& c : cases) {
        Testbed testbed;
        testbed.add(c.tree);
        WatchedInventory inventory;
        const std::string gone_device = "/dev/" + c.tty;
        const std::optional<AdapterFacts> gone = adapter_on(inventory.system.adapters(), gone_device);
        ASSERT_TRUE(gone) << c.what;
        testbed.pull(c.tree, c.usb_device);
        const auto arrivals = system_adapter_arrivals();
        AdapterReturn back;
        std::vector<std::string> opened;
        std::thread waiter([&] {
            back = await_adapter(*gone, gone_device, inventory, *arrivals,
                                 std::chrono::steady_clock::now() + std::chrono::seconds(30),
                                 [&](const std::string& device) { opened.push_back(device); });
        });
        int looks = 1;
        for (const std::string& tree : c.others) {
            inventory.wait_for_looks(looks++);
            testbed.add(tree); // the testbed sends udev's add event of each device it adds
        }
        inventory.wait_for_looks(looks);
        testbed.add(c.back);
        waiter.join();
        EXPECT_EQ(back.device.value_or("none"), c.device) << c.what;
        EXPECT_EQ(opened, std::vector<std::string>{c.device}) << c.what;
        // Once at the start and once for each add: udev's events wake it, nothing else.
        EXPECT_EQ(inventory.looks, looks + 1) << c.what;
    }
}

} // namespace
} // namespace tervalink
