// serial/: which facts about a plugged-in adapter give which reason, on both systems' facts.
#include <gtest/gtest.h>

#include "adapter_survey.h"
#include "fake_inventory.h"

namespace tervalink {
namespace {

AdapterFacts ch340()
{
    AdapterFacts facts;
    facts.name = "QinHeng Electronics CH340 serial converter";
    facts.usb_id = "1a86:7523";
    facts.driver = "ch341";
    facts.ports = {"COM 100 (/dev/ttyUSB0)"};
    return facts;
}

AdapterFacts windows_pl2303(unsigned code, const std::string& friendly)
{
    AdapterFacts facts;
    facts.name = "Prolific USB-to-Serial Comm Port";
    facts.usb_id = "067b:2303";
    facts.driver = "Ser2pl";
    facts.problem_code = code;
    facts.friendly_name = friendly;
    facts.hardware_id = "USB\\VID_067B&PID_2303&REV_0300";
    return facts;
}

TEST(AdapterSurvey, EachCauseGivesItsSentence)
{
    const std::string qinheng = "A QinHeng Electronics CH340 serial converter (1a86:7523) ";
    const std::string prolific =
        "A Prolific USB-to-Serial Comm Port (067b:2303, USB\\VID_067B&PID_2303&REV_0300) is "
        "plugged in, but ";
    auto brltty = ch340();
    brltty.ports.clear();
    brltty.driver.clear();
    brltty.claimed_by_brltty = true;
    auto no_tty = ch340();
    no_tty.ports.clear();
    auto no_driver = no_tty;
    no_driver.driver.clear();
    auto unknown_chip = no_driver;
    unknown_chip.usb_id = "1234:5678";
    unknown_chip.name = "";
    auto refused = ch340();
    refused.port_refusal = "permission denied; the device belongs to group dialout: add your user "
                           "to it (sudo usermod -aG dialout tech) and log in again";
    auto probed = ch340();
    probed.modem_probe = true;
    auto driver_3_8 = ch340();
    driver_3_8.driver_version = "3.8.2023.2";
    auto driver_3_7 = ch340();
    driver_3_7.driver_version = "3.7.2022.1";
    const std::tuple<AdapterFacts, AdapterCause, std::string> cases[] = {
        {ch340(), AdapterCause::none, ""},
        {driver_3_7, AdapterCause::none, ""},
        {brltty, AdapterCause::blocked,
         qinheng + "is plugged in, but brltty has claimed it: remove brltty (sudo apt remove "
                   "brltty) or disable its rule for this adapter, then plug it in again."},
        {no_tty, AdapterCause::blocked,
         qinheng + "is plugged in, but its driver ch341 made no serial port for it: unplug it and "
                   "plug it in again, and if that does not help, read the kernel's messages (sudo "
                   "dmesg) for the driver's failure."},
        {no_driver, AdapterCause::blocked,
         qinheng + "is plugged in, but no driver has taken it: load its driver (sudo modprobe "
                   "ch341), then plug it in again."},
        {unknown_chip, AdapterCause::blocked,
         "A USB serial adapter (1234:5678) is plugged in, but no driver has taken it: install the "
         "driver of its chip, then plug it in again."},
        {refused, AdapterCause::port_refused,
         qinheng + "is on COM 100 (/dev/ttyUSB0), but " + refused.port_refusal + "."},
        {probed, AdapterCause::caution,
         qinheng + "is on COM 100 (/dev/ttyUSB0), but ModemManager probes a new ttyACM port for "
                   "several seconds: wait a few seconds after plugging it in, or mark it "
                   "ID_MM_DEVICE_IGNORE in a udev rule."},
        {driver_3_8, AdapterCause::caution,
         qinheng + "is on COM 100 (/dev/ttyUSB0), but its driver 3.8.2023.2 cannot set up the "
                   "port of many CH340 chips: roll the driver back to 3.7 or 3.5 (Device "
                   "Manager, the port's Driver tab, Roll Back Driver)."},
        {windows_pl2303(10, "PL2303HXA PHASED OUT SINCE 2012. PLEASE CONTACT YOUR SUPPLIER."),
         AdapterCause::blocked,
         prolific + "Prolific's driver refuses its PL2303HXA chip, which Prolific no longer "
                    "supports (\"PL2303HXA PHASED OUT SINCE 2012. PLEASE CONTACT YOUR "
                    "SUPPLIER.\", code 10): use an adapter with a current chip, or install the "
                    "older Prolific driver that still supports it."},
        {windows_pl2303(10, "Prolific USB-to-Serial Comm Port (COM5)"), AdapterCause::blocked,
         prolific + "Windows cannot start it (code 10): unplug it, plug it in again, and if that "
                    "does not help, reinstall the driver of its chip."},
        {windows_pl2303(22, ""), AdapterCause::blocked,
         prolific + "it is disabled (code 22): enable it in Device Manager."},
        {windows_pl2303(28, ""), AdapterCause::blocked,
         prolific + "no driver is installed for it (code 28, listed under \"Other devices\"): "
                    "install the driver of its chip, then plug it in again."},
        {windows_pl2303(43, ""), AdapterCause::blocked,
         prolific + "Windows stopped it after it reported a failure (code 43): unplug it and plug "
                    "it into another USB socket."},
        {windows_pl2303(31, ""), AdapterCause::blocked,
         prolific + "Device Manager reports problem code 31 for it: look it up under the "
                    "device's properties in Device Manager."},
    };
    for (const auto& [facts, cause, reason] : cases) {
        const AdapterVerdict verdict = judge_adapter(facts);
        EXPECT_EQ(verdict.cause, cause) << reason;
        EXPECT_EQ(verdict.reason, reason);
    }
}

TEST(AdapterSurvey, IdentityTellsIdenticalAdaptersApart)
{
    const std::pair<AdapterFacts, const char*> cases[] = {
        {test::ftdi("", "1-1.2", {}), "USB 0403:6001 at 1-1.2"},
        {test::ftdi("", "1-1.3", {}), "USB 0403:6001 at 1-1.3"},
        {test::ftdi("A50285BI", "Port_#0002.Hub_#0001", {}),
         "USB 0403:6001 serial A50285BI at Port_#0002.Hub_#0001"},
        {test::ftdi("A50285BI", "", {}), "USB 0403:6001 serial A50285BI"},
        {test::ftdi("", "", {}), "USB 0403:6001"}};
    for (const auto& [facts, identity] : cases)
        EXPECT_EQ(adapter_identity(facts), identity);
}

TEST(AdapterSurvey, AFailedOpenAddsOnlyWhatItDoesNotSayItself)
{
    const std::string failure = "Cannot open COM 100 (/dev/ttyUSB0): no such device";
    const std::string claimed =
        " A QinHeng Electronics CH340 serial converter (1a86:7523) is plugged in, but brltty has "
        "claimed it: remove brltty (sudo apt remove brltty) or disable its rule for this adapter, "
        "then plug it in again.";
    auto brltty = ch340();
    brltty.ports.clear();
    brltty.claimed_by_brltty = true;
    auto refused = ch340();
    refused.port_refusal = "permission denied";
    EXPECT_EQ(with_adapter_reasons(failure, {ch340(), refused}), failure);
    EXPECT_EQ(with_adapter_reasons(failure, {refused, brltty, brltty}),
              failure + "." + claimed + claimed);
}

TEST(AdapterSurvey, RecognisesAdaptersByDriverOrChip)
{
    const std::tuple<const char*, bool> drivers[] = {
        {"ftdi_sio", true}, {"cp210x", true}, {"ch341", true}, {"pl2303", true},
        {"cdc_acm", true},  {"usbhid", false}, {"", false},    {"usb-storage", false}};
    for (const auto& [driver, serial] : drivers)
        EXPECT_EQ(is_serial_driver(driver), serial) << driver;
    const std::tuple<const char*, bool> chips[] = {
        {"1a86:7523", true}, {"10c4:ea60", true}, {"067b:2303", true},
        {"0403:6001", true}, {"046d:c077", false}, {"1A86:7523", false}};
    for (const auto& [usb_id, serial] : chips)
        EXPECT_EQ(is_known_serial_chip(usb_id), serial) << usb_id;
}

} // namespace
} // namespace tervalink
