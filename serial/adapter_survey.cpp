#include "adapter_survey.h"

#include <algorithm>
#include <array>

namespace tervalink {

namespace {

struct SerialChip {
    std::string_view usb_id;
    std::string_view linux_driver;
};

// Chips sold in USB serial adapters, so that an adapter is recognised even without its driver.
constexpr std::array<SerialChip, 12> known_chips{{
    {"0403:6001", "ftdi_sio"}, {"0403:6010", "ftdi_sio"}, {"0403:6011", "ftdi_sio"},
    {"0403:6014", "ftdi_sio"}, {"0403:6015", "ftdi_sio"}, {"10c4:ea60", "cp210x"},
    {"10c4:ea70", "cp210x"},   {"1a86:7523", "ch341"},    {"1a86:5523", "ch341"},
    {"1a86:55d4", "cdc_acm"},  {"067b:2303", "pl2303"},   {"067b:23a3", "pl2303"},
}};

constexpr std::array<std::string_view, 11> serial_drivers{
    "ftdi_sio", "cp210x",  "ch341",   "pl2303",  "cdc_acm", "ch343",
    "FTDIBUS",  "FTSER2K", "CH341SER_A64", "silabser", "Ser2pl"};

const SerialChip* chip_of(std::string_view usb_id)
{
    const auto found = std::find_if(known_chips.begin(), known_chips.end(),
                                    [&](const SerialChip& chip) { return chip.usb_id == usb_id; });
    return found == known_chips.end() ? nullptr : &*found;
}

// "A QinHeng Electronics CH340 serial converter (1a86:7523)", with the hardware ID on Windows.
std::string adapter_named(const AdapterFacts& facts)
{
    const std::string name = facts.name.empty() ? "USB serial adapter" : facts.name;
    // "A USB ...", but "An Arduino ...".
    const bool vowel = std::string_view("AEIOaeio").find(name.front()) != std::string_view::npos;
    std::string text = (vowel ? "An " : "A ") + name + " (" + facts.usb_id;
    if (!facts.hardware_id.empty())
        text += ", " + facts.hardware_id;
    return text + ")";
}

std::string ports_of(const AdapterFacts& facts)
{
    std::string text;
    for (const std::string& port : facts.ports)
        text += (text.empty() ? "" : " and ") + port;
    return text;
}

// Device Manager's problem codes a technician meets with serial adapters, in words.
std::string windows_problem(const AdapterFacts& facts)
{
    const std::string& shown = facts.friendly_name;
    if (shown.find("PL2303HXA PHASED OUT SINCE 2012") != std::string::npos)
        return "Prolific's driver refuses its PL2303HXA chip, which Prolific no longer supports "
               "(\"" + shown + "\", code " + std::to_string(*facts.problem_code) +
               "): use an adapter with a current chip, or install the older Prolific driver "
               "that still supports it";
    if (shown.find("THIS IS NOT PROLIFIC PL2303") != std::string::npos)
        return "Prolific's driver refuses its chip as not a genuine PL2303 (\"" + shown +
               "\", code " + std::to_string(*facts.problem_code) +
               "): use an adapter with a genuine chip, or install the older Prolific driver "
               "that accepts it";
    switch (*facts.problem_code) {
    case 10:
        return "Windows cannot start it (code 10): unplug it, plug it in again, and if that "
               "does not help, reinstall the driver of its chip";
    case 22:
        return "it is disabled (code 22): enable it in Device Manager";
    case 28:
        return "no driver is installed for it (code 28, listed under \"Other devices\"): "
               "install the driver of its chip, then plug it in again";
    case 43:
        return "Windows stopped it after it reported a failure (code 43): unplug it and plug it "
               "into another USB socket";
    default:
        return "Device Manager reports problem code " + std::to_string(*facts.problem_code) +
               " for it: look it up under the device's properties in Device Manager";
    }
}

AdapterVerdict blocked(const AdapterFacts& facts, const std::string& why)
{
    return {AdapterCause::blocked, adapter_named(facts) + " is plugged in, but " + why + "."};
}

} // namespace

bool is_serial_driver(std::string_view driver)
{
    return std::find(serial_drivers.begin(), serial_drivers.end(), driver) != serial_drivers.end();
}

bool is_known_serial_chip(std::string_view usb_id) { return chip_of(usb_id) != nullptr; }

AdapterVerdict judge_adapter(const AdapterFacts& facts)
{
    if (facts.claimed_by_brltty)
        return blocked(facts, "brltty has claimed it: remove brltty (sudo apt remove brltty) or "
                              "disable its rule for this adapter, then plug it in again");
    if (facts.problem_code)
        return blocked(facts, windows_problem(facts));
    if (facts.driver.empty()) {
        const SerialChip* chip = chip_of(facts.usb_id);
        return blocked(facts, "no driver has taken it: " +
                                  (chip ? "load its driver (sudo modprobe " +
                                              std::string(chip->linux_driver) + ")"
                                        : std::string("install the driver of its chip")) +
                                  ", then plug it in again");
    }
    if (facts.ports.empty())
        return blocked(facts, "its driver " + facts.driver +
                                  " made no serial port for it: unplug it and plug it in again, "
                                  "and if that does not help, read the kernel's messages "
                                  "(sudo dmesg) for the driver's failure");
    const std::string on_port = adapter_named(facts) + " is on " + ports_of(facts) + ", but ";
    if (!facts.port_refusal.empty())
        return {AdapterCause::port_refused, on_port + facts.port_refusal + "."};
    if (facts.modem_probe)
        return {AdapterCause::caution,
                on_port + "ModemManager probes a new ttyACM port for several seconds: wait a few "
                          "seconds after plugging it in, or mark it ID_MM_DEVICE_IGNORE in a "
                          "udev rule."};
    if (facts.usb_id == "1a86:7523" && facts.driver_version.starts_with("3.8"))
        return {AdapterCause::caution,
                on_port + "its driver " + facts.driver_version +
                    " cannot set up the port of many CH340 chips: roll the driver back to 3.7 or "
                    "3.5 (Device Manager, the port's Driver tab, Roll Back Driver)."};
    return {};
}

std::string adapter_identity(const AdapterFacts& facts)
{
    std::string identity = "USB " + facts.usb_id;
    if (!facts.serial_number.empty())
        identity += " serial " + facts.serial_number;
    if (!facts.location.empty())
        identity += " at " + facts.location;
    return identity;
}

std::vector<std::string> adapter_reasons(const std::vector<AdapterFacts>& adapters)
{
    std::vector<std::string> reasons;
    for (const AdapterFacts& facts : adapters) {
        AdapterVerdict verdict = judge_adapter(facts);
        if (verdict.cause != AdapterCause::none)
            reasons.push_back(std::move(verdict.reason));
    }
    return reasons;
}

std::string with_adapter_reasons(const std::string& failure,
                                 const std::vector<AdapterFacts>& adapters)
{
    std::string text = failure;
    for (const AdapterFacts& facts : adapters) {
        const AdapterVerdict verdict = judge_adapter(facts);
        if (verdict.cause == AdapterCause::blocked || verdict.cause == AdapterCause::caution)
            text += (text == failure ? ". " : " ") + verdict.reason;
    }
    return text;
}

} // namespace tervalink
