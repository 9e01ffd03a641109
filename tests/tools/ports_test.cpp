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
            {{{"FTDI FT232R USB UART (COM100)", "/dev/ttyUSB0", "FTDI FT232R USB UART",
              "USB 0403:6001 serial A50285BI at 1-1.2"},
              {"Serial port (COM1)", "/dev/ttyS0", "Serial port", ""}},
             std::nullopt, 0,
             "COM 100\t/dev/ttyUSB0\tFTDI FT232R USB UART\tUSB 0403:6001 serial A50285BI at 1-1.2\n"
             "COM 1\t/dev/ttyS0\tSerial port\t\n",
             ""},
            {{}, std::nullopt, 0, "", ""},
            {{{"Serial port (COM1)", "/dev/ttyS0", "Serial port", ""}}, failure, 4, "",
             failure + "\n"}};
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

TEST(Ports, NotesEachAdapterWithoutAUsablePort)
{
    // A port that works is listed and not noted; a blocked adapter and a caution are noted, in
    // the inventory's order, after the ports.
    test::FakeInventory inventory;
    inventory.listed = {{"CH340 (COM3)", "\\\\.\\COM3", "CH340", "USB 1a86:7523 at Port_#0001.Hub_#0003"}};
    AdapterFacts working;
    working.name = "FTDI FT232R USB UART";
    working.usb_id = "0403:6001";
    working.driver = "FTSER2K";
    working.ports = {"COM4"};
    AdapterFacts refused = working;
    refused.usb_id = "067b:2303";
    refused.name = "Prolific USB-to-Serial Comm Port";
    refused.problem_code = 10;
    refused.friendly_name = "THIS IS NOT PROLIFIC PL2303. PLEASE CONTACT YOUR SUPPLIER.";
    AdapterFacts ch340_3_8 = working;
    ch340_3_8.name = "wch.cn USB-SERIAL CH340";
    ch340_3_8.usb_id = "1a86:7523";
    ch340_3_8.driver = "CH341SER_A64";
    ch340_3_8.ports = {"COM3"};
    ch340_3_8.driver_version = "3.8.2023.2";
    inventory.plugged_in = {working, refused, ch340_3_8};
    std::ostringstream out, err;
    EXPECT_EQ(run_ports(inventory, out, err), 0);
    EXPECT_EQ(out.str(), "COM 3\t\\\\.\\COM3\tCH340\tUSB 1a86:7523 at Port_#0001.Hub_#0003\n");
    EXPECT_EQ(test::lines_of(err.str()),
              (std::vector<std::string>{
                  "tervalink-frames: note: A Prolific USB-to-Serial Comm Port (067b:2303) is "
                  "plugged in, but Prolific's driver refuses its chip as not a genuine PL2303 "
                  "(\"THIS IS NOT PROLIFIC PL2303. PLEASE CONTACT YOUR SUPPLIER.\", code 10): use "
                  "an adapter with a genuine chip, or install the older Prolific driver that "
                  "accepts it.",
                  "tervalink-frames: note: A wch.cn USB-SERIAL CH340 (1a86:7523) is on COM3, but "
                  "its driver 3.8.2023.2 cannot set up the port of many CH340 chips: roll the "
                  "driver back to 3.7 or 3.5 (Device Manager, the port's Driver tab, Roll Back "
                  "Driver)."}));
}

// The system's own discovery: each line's "COM n" must open the device listed with it. On Linux
// this runs on a mocked tree of two adapters (added in CMake); under Wine on its COM1, when the
// machine under it has a serial port.
TEST(Ports, EachListedNumberOpensItsDevice)
{
    std::istringstream in;
    std::ostringstream out, err;
    ASSERT_EQ(run_frames_tool(std::vector<std::string>{"ports"}, in, out, err), 0) << err.str();
    const std::vector<std::string> lines = test::lines_of(out.str());
    if (lines.empty())
        GTEST_SKIP() << "this machine lists no serial port";
    for (const std::string& line : lines) {
        std::vector<std::string> fields;
        std::istringstream split(line + '\t'); // keeps an empty last column
        for (std::string field; std::getline(split, field, '\t');)
            fields.push_back(field);
        ASSERT_EQ(fields.size(), 4u) << line;
        EXPECT_EQ(port_address(port_number_from_text(fields[0])).device_path, fields[1]) << line;
        EXPECT_NE(fields[2], "") << line;
    }
}

} // namespace
} // namespace tervalink::frames_tool
