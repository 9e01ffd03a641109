// serial/port_discovery: what "Scan Ports" lists: the port entry rule and the scan over an
// inventory.
#include <gtest/gtest.h>

#include "failure_of.h"
#include "fake_inventory.h"
#include "port_discovery.h"

namespace tervalink {
namespace {

using Lines = std::vector<std::string>;

InventoryDevice named(const std::string& name) { return {name, "/dev/x", "adapter", ""}; }

TEST(Discovery, PortEntryRule)
{
    const std::pair<const char*, const char*> cases[] = { // "-": no entry
        {"USB Serial Port (COM3)", "COM 3"}, {"Bridge (COM5->COM6)", "COM 5->COM6"},
        {"Odd (COM)", "COM "},               {"Prolific(R) USB (COM3)", "COM 3"},
        {"A (COM7) B (COM8)", "COM 7"},      {"Broken (COM4", "-"},
        {"X) (COM4", "-"},                   {"Port (com3)", "-"},
        {"Port ( COM3)", "-"}};
    for (const auto& [name, entry] : cases)
        EXPECT_EQ(port_entry(name).value_or("-"), entry) << name;
}

TEST(Discovery, ScanPortsListsEntriesInInventoryOrderUpTo100)
{
    test::FakeInventory inventory;
    inventory.listed = {named("B (COM9) v2"), named("C (COM8)"), named("Disk"),
                        named("Port (com3)"), named("Broken (COM4"), named("A (COM2)")};
    PortNames names;
    names.port_count = 42; // stale from an earlier scan
    EXPECT_EQ(scan_ports(inventory, names).size(), 3u);
    // Rescanned after the second device lost its name: unnamed and non-serial devices are
    // skipped, a name without ")" counts but makes no entry.
    inventory.listed = {{"B (COM9) v2", "/dev/ttyUSB9", "B", ""}, {std::nullopt, "/dev/x", "adapter", ""},
                        named("Disk"), named("Port (com3)"), named("Broken (COM4"),
                        {"A (COM2)", "/dev/ttyS1", "A", ""}};
    Lines entries;
    for (const PortEntry& entry : scan_ports(inventory, names))
        entries.push_back(entry.text + " " + entry.device_path + " " + entry.description);
    EXPECT_EQ(entries, (Lines{"COM 9 /dev/ttyUSB9 B", "COM 2 /dev/ttyS1 A"}));
    EXPECT_EQ(names.port_count, 3);
    EXPECT_EQ(names.port_names[0], "B (COM9) v2"); // the whole name, not only its entry
    Lines ports;
    for (int n = 1; n <= 101; ++n)
        ports.push_back("Port (COM" + std::to_string(n) + ")");
    inventory.list_names({ports.begin(), ports.end() - 1});
    EXPECT_EQ(scan_ports(inventory, names).back().text, "COM 100");
    inventory.list_names(ports);
    EXPECT_EQ(test::failure_of([&] { scan_ports(inventory, names); }),
              "Subscript out of range: more than 100 serial ports were found; unplug the adapters "
              "you do not need and scan again");
    EXPECT_EQ(names.port_count, 100); // the count never points past the names it holds
    inventory.failure = "The device list cannot be read";
    EXPECT_EQ(test::failure_of([&] { scan_ports(inventory, names); }), *inventory.failure);
}

} // namespace
} // namespace tervalink
