#include "system_device_inventory.h"

#include <cstring>
#include <memory>

#include <libudev.h>

#include "device_naming.h"
#include "failure.h"
#include "inventory_naming.h"

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

} // namespace

std::vector<InventoryDevice> SystemDeviceInventory::devices()
{
    const Udev context(udev_new());
    if (!context)
        fail("the device manager udev cannot be reached", errno);
    const UdevEnumerate enumerate(udev_enumerate_new(context.get()));
    if (!enumerate)
        fail("the device manager udev cannot be reached", errno);
    int result = udev_enumerate_add_match_subsystem(enumerate.get(), "tty");
    if (result >= 0)
        result = udev_enumerate_scan_devices(enumerate.get());
    if (result < 0)
        fail("the device list under /sys/class/tty cannot be read", -result);

    std::vector<SerialDeviceFacts> ports;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        const char* syspath = udev_list_entry_get_name(entry);
        const std::string_view name = std::strrchr(syspath, '/') + 1;
        if (!port_number_for_device(name))
            continue;
        // A device that went away since the scan is simply not listed.
        const UdevDevice device(udev_device_new_from_syspath(context.get(), syspath));
        if (!device || !is_real_port(device.get(), name))
            continue;
        const char* devnode = udev_device_get_devnode(device.get());
        if (devnode == nullptr)
            continue;
        const UdevAdapterNames names{property(device.get(), "ID_VENDOR_FROM_DATABASE"),
                                     property(device.get(), "ID_VENDOR"),
                                     property(device.get(), "ID_MODEL_FROM_DATABASE"),
                                     property(device.get(), "ID_MODEL")};
        ports.push_back({std::string(name), devnode, linux_adapter_description(names)});
    }
    return linux_inventory(std::move(ports));
}

} // namespace tervalink
