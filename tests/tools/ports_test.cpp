// tervalink-frames ports: the port list as Scan Ports makes it, one tab-separated line a port.
#include <sstream>

#include <gtest/gtest.h>

#include "device_naming.h"
#include "fake_inventory.h"
#include "frames_tool.h"
#include "ports.h"
#include "text_lines.h"

namespace tervalink::frames_tool {
namespace {

TEST(Ports, ListsWhatScanPortsWould)
{
    const std::string failure = "Cannot list the serial ports: udev did not answer";
    // The inventory (or its failure), the exit status, stdout and stderr.
    const std::tuple<std::vector<InventoryDevice>, std::optional<std::string>, int, std::string,
                     std::string>
        cases[] = {
            {{{"FTDI FT232R USB UART (COM100)", "/dev/ttyUSB0", "FTDI FT232R USB UART", ""},
              {"Disk", "/dev/sda", "disk", ""},
              {std::nullopt, "/dev/x", "unnamed", ""},
              {"Serial port (COM1)", "/dev/ttyS0", "Serial port", ""}},
             std::nullopt, 0,
             "COM 100\t/dev/ttyUSB0\tFTDI FT232R USB UART\nCOM 1\t/dev/ttyS0\tSerial port\n", ""},
            {{}, std::nullopt, 0, "", ""},
            {{{"Serial port (COM1)", "/dev/ttyS0", "Serial port", ""}}, failure, 4, "", failure + "\n"},
            {std::vector<InventoryDevice>(101, {"Port (COM7)", "/dev/ttyS6", "Port", ""}), std::nullopt,
             4, "",
             "Subscript out of range: more than 100 serial ports were found; unplug the adapters "
             "you do not need and scan again\n"}};
    for (const auto& [devices, fails, status, out, err] : cases) {
        test::FakeInventory inventory;
        inventory.listed = devices;
        inventory.failure = fails;
        std::ostringstream printed, complained;
        EXPECT_EQ(run_ports(inventory, printed, complained), status) << out;
        EXPECT_EQ(printed.str(), out);
        EXPECT_EQ(complained.str(), err);
    }
}

TEST(Ports, ThisMachineListsPortsThatConnectOpens)
{
    std::istringstream in;
    std::ostringstream refused, usage;
    EXPECT_EQ(run_frames_tool(std::vector<std::string>{"ports", "now"}, in, refused, usage), 2);
    EXPECT_EQ(test::lines_of(usage.str()).at(0), "tervalink-frames: ports takes no arguments");

    // Whatever ports this machine has: each line's "COM n" must open the device listed with it.
    std::ostringstream out, err;
    ASSERT_EQ(run_frames_tool(std::vector<std::string>{"ports"}, in, out, err), 0) << err.str();
    for (const std::string& line : test::lines_of(out.str())) {
        std::vector<std::string> fields;
        std::istringstream split(line);
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        ASSERT_EQ(fields.size(), 3u) << line;
        EXPECT_EQ(port_address(port_number_from_text(fields[0])).device_path, fields[1]) << line;
        EXPECT_NE(fields[2], "") << line;
    }
}

} // namespace
} // namespace tervalink::frames_tool
