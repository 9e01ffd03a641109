#include "system_device_inventory.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>

#include <libudev.h>

#include "device_naming_linux.h"
#include "device_permission_linux.h"
#include "failure.h"
#include "inventory_naming.h"
#include "inventory_naming_linux.h"

namespace tervalink {

namespace {

template <auto unref>
struct Unref {
    template <typename T>
    void operator()(T* object) const { unref(object); }
};
using Udev = std::unique_ptr<udev, Unref<udev_unref>>;
using UdevEnumerate = std::unique_ptr<udev_enumerate, Unref<udev_enumerate_unref>>;
using UdevDevice = std::unique_ptr<udev_device, Unref<udev_device_unref>>;

[[noreturn]] void fail(const std::string& what, int error)
{
    throw Failure("Cannot list the serial ports: " + what + " (" + std::strerror(error) +
                  "); type the port instead, such as \"COM 100\" for /dev/ttyUSB0");
}

std::string_view property(udev_device* device, const char* key)
{
    const char* value = udev_device_get_property_value(device, key);
    return value != nullptr ? value : "";
}

// The driver of the built-in ports registers a fixed number of them whether or not a UART is
// behind each one; those without report the port type 0 (unknown) and cannot carry a byte. The
// type is read from sysfs rather than from the open port: opening would need the dialout group
// and would raise the control lines of a port an antenna unit may hang on.
bool is_real_port(udev_device* device, std::string_view name)
{
    // A Bluetooth serial link has no device below it and is a port all the same.
    if (udev_device_get_parent(device) == nullptr)
        return name.starts_with("rfcomm");
    const char* type = udev_device_get_sysattr_value(device, "type");
    return type == nullptr || std::string_view(type) != "0";
}

std::string_view sysattr(udev_device* device, const char* name)
{
    const char* value = udev_device_get_sysattr_value(device, name);
    return value != nullptr ? value : "";
}

std::string adapter_description(udev_device* device)
{
    const UdevAdapterNames names{property(device, "ID_VENDOR_FROM_DATABASE"),
                                 property(device, "ID_VENDOR"),
                                 property(device, "ID_MODEL_FROM_DATABASE"),
                                 property(device, "ID_MODEL")};
    return adapter_description_from_udev(names);
}

udev_device* usb_device_above(udev_device* device)
{
    return udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
}

// Who the adapter is, from its USB device: the sysfs name ("1-1.2") is the path of hubs and
// sockets, the same every time the adapter is plugged into the same socket.
AdapterFacts usb_adapter(udev_device* usb_device)
{
    AdapterFacts facts;
    facts.name = adapter_description(usb_device);
    if (facts.name.empty())
        facts.name = adapter_description_from_udev(
            {{}, sysattr(usb_device, "manufacturer"), {}, sysattr(usb_device, "product")});
    facts.usb_id = std::string(sysattr(usb_device, "idVendor")) + ":" +
                   std::string(sysattr(usb_device, "idProduct"));
    facts.serial_number = sysattr(usb_device, "serial");
    facts.location = udev_device_get_sysname(usb_device);
    return facts;
}

// brltty's udev rule names a braille driver for the interface and has systemd start its
// service for the device: either mark means brltty will take the adapter away.
bool brltty_claims(udev_device* device)
{
    return !property(device, "BRLTTY_BRAILLE_DRIVER").empty() ||
           property(device, "SYSTEMD_WANTS").find("brltty-device@") != std::string_view::npos;
}

bool modem_prober_installed()
{
    return ::access("/usr/sbin/ModemManager", X_OK) == 0 ||
           ::access("/usr/bin/ModemManager", X_OK) == 0;
}

// ModemManager leaves a device alone when udev marks it, on the port or any device above it.
bool marked_for_modem_prober(udev_device* device)
{
    for (; device != nullptr; device = udev_device_get_parent(device))
        if (property(device, "ID_MM_DEVICE_IGNORE") == "1")
            return true;
    return false;
}

// Only a refused permission is news: a missing node is the failure the open reports itself.
std::string refusal_of(const char* devnode)
{
    if (::access(devnode, R_OK | W_OK) == 0 || errno != EACCES)
        return {};
    return permission_advice(look_up_device_permission(devnode));
}

// Every device of a subsystem, each visited once; `folder` names where a failed scan looked.
template <typename Visit>
void for_each_device(udev* context, const char* subsystem, const char* folder, Visit visit)
{
    const UdevEnumerate enumerate(udev_enumerate_new(context));
    if (!enumerate)
        fail("the device manager udev cannot be reached", errno);
    int result = udev_enumerate_add_match_subsystem(enumerate.get(), subsystem);
    if (result >= 0)
        result = udev_enumerate_scan_devices(enumerate.get());
    if (result < 0)
        fail(std::string("the device list under ") + folder + " cannot be read", -result);
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        const char* syspath = udev_list_entry_get_name(entry);
        // A device that went away since the scan is simply not listed.
        const UdevDevice device(udev_device_new_from_syspath(context, syspath));
        if (device)
            visit(device.get());
    }
}

Udev open_udev()
{
    Udev context(udev_new());
    if (!context)
        fail("the device manager udev cannot be reached", errno);
    return context;
}

} // namespace

SystemDeviceInventory::SystemDeviceInventory(std::function<bool()> modem_prober_runs)
    : modem_prober_runs_(modem_prober_runs ? std::move(modem_prober_runs) : modem_prober_installed)
{
}

std::vector<InventoryDevice> SystemDeviceInventory::devices()
{
    const Udev context = open_udev();
    std::vector<SerialDeviceFacts> ports;
    for_each_device(context.get(), "tty", "/sys/class/tty", [&](udev_device* device) {
        const std::string_view name = udev_device_get_sysname(device);
        const char* devnode = udev_device_get_devnode(device);
        if (!port_number_for_device(name) || !is_real_port(device, name) || devnode == nullptr)
            return;
        udev_device* usb_device = usb_device_above(device);
        ports.push_back({std::string(name), devnode, adapter_description(device),
                         usb_device ? adapter_identity(usb_adapter(usb_device)) : ""});
    });
    return inventory_of(std::move(ports));
}

std::vector<AdapterFacts> SystemDeviceInventory::adapters()
{
    const Udev context = open_udev();
    std::map<std::string, AdapterFacts> found; // by the USB device's syspath
    for_each_device(context.get(), "usb", "/sys", [&](udev_device* interface) {
        udev_device* usb_device = usb_device_above(interface);
        if (property(interface, "DEVTYPE") != "usb_interface" || usb_device == nullptr)
            return;
        const char* bound = udev_device_get_driver(interface);
        const std::string_view driver = bound != nullptr ? bound : "";
        AdapterFacts facts = usb_adapter(usb_device);
        if (!is_serial_driver(driver) && !is_known_serial_chip(facts.usb_id))
            return;
        const auto [at, added] =
            found.try_emplace(udev_device_get_syspath(usb_device), std::move(facts));
        AdapterFacts& adapter = at->second;
        if (adapter.driver.empty() || is_serial_driver(driver))
            adapter.driver = driver;
        adapter.claimed_by_brltty = adapter.claimed_by_brltty || brltty_claims(interface) ||
                                    brltty_claims(usb_device);
    });
    if (found.empty())
        return {};
    for_each_device(context.get(), "tty", "/sys/class/tty", [&](udev_device* tty) {
        const char* devnode = udev_device_get_devnode(tty);
        const std::string_view name = udev_device_get_sysname(tty);
        const auto port_number = port_number_for_device(name);
        udev_device* usb_device = usb_device_above(tty);
        if (devnode == nullptr || !port_number || usb_device == nullptr)
            return;
        const auto adapter = found.find(udev_device_get_syspath(usb_device));
        if (adapter == found.end())
            return;
        AdapterFacts& facts = adapter->second;
        facts.ports.push_back("COM " + std::to_string(*port_number) + " (" + devnode + ")");
        facts.devices.emplace_back(devnode);
        if (facts.port_refusal.empty())
            facts.port_refusal = refusal_of(devnode);
        if (name.starts_with("ttyACM") && !marked_for_modem_prober(tty) && modem_prober_runs_())
            facts.modem_probe = true;
    });
    std::vector<AdapterFacts> adapters;
    for (auto& [syspath, facts] : found)
        adapters.push_back(std::move(facts));
    return adapters;
}

} // namespace tervalink
