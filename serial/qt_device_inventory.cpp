#include "qt_device_inventory.h"

#include <QSerialPortInfo>

#include "device_naming.h"

namespace tervalink {

namespace {

std::string adapter_description(const SerialDeviceFacts& facts)
{
    if (!facts.description.empty())
        return std::string(facts.description);
    if (!facts.manufacturer.empty())
        return std::string(facts.manufacturer);
    return "Serial port";
}

} // namespace

std::optional<InventoryDevice> linux_inventory_device(const SerialDeviceFacts& facts)
{
    const auto port_number = port_number_for_device(facts.port_name);
    if (!port_number)
        return std::nullopt;
    std::string description = adapter_description(facts);
    std::string name = description + " (COM" + std::to_string(*port_number) + ")";
    return InventoryDevice{std::move(name), std::string(facts.system_location),
                           std::move(description)};
}

InventoryDevice windows_inventory_device(const SerialDeviceFacts& facts)
{
    std::string description = adapter_description(facts);
    std::string name = description + " (" + std::string(facts.port_name) + ")";
    return InventoryDevice{std::move(name), std::string(facts.system_location),
                           std::move(description)};
}

std::vector<InventoryDevice> QtDeviceInventory::devices()
{
    std::vector<InventoryDevice> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const std::string port_name = info.portName().toStdString();
        const std::string location = info.systemLocation().toStdString();
        const std::string description = info.description().toStdString();
        const std::string manufacturer = info.manufacturer().toStdString();
        const SerialDeviceFacts facts{port_name, location, description, manufacturer};
#ifdef _WIN32
        devices.push_back(windows_inventory_device(facts));
#else
        if (auto device = linux_inventory_device(facts))
            devices.push_back(std::move(*device));
#endif
    }
    return devices;
}

} // namespace tervalink
