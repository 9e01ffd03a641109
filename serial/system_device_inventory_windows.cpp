#include "system_device_inventory.h"

// In this order: the others build on windows.h, and initguid.h makes devguid.h define the
// device class GUIDs here rather than only declare them.
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
#include <cfgmgr32.h>

#include <cctype>
#include <map>
#include <memory>

#include "failure.h"
#include "inventory_naming.h"
#include "inventory_naming_windows.h"
#include "wide_text_windows.h"

namespace tervalink {

namespace {

constexpr const wchar_t* serialcomm_key = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";

[[noreturn]] void fail(LSTATUS error)
{
    throw Failure("Cannot list the serial ports: the registry key HKEY_LOCAL_MACHINE\\HARDWARE\\"
                  "DEVICEMAP\\SERIALCOMM cannot be read (" + system_text_of(static_cast<DWORD>(error)) +
                  "); type the port instead, such as \"COM 3\"");
}

class RegistryKey {
public:
    explicit RegistryKey(HKEY key) : key_(key) {}
    ~RegistryKey() { RegCloseKey(key_); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

// A string value of the key; empty when it is missing or not a string.
std::wstring string_value(HKEY key, const wchar_t* name)
{
    DWORD size = 0;
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return {};
    std::wstring value(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, value.data(), &size) !=
        ERROR_SUCCESS)
        return {};
    value.resize(size / sizeof(wchar_t));
    while (!value.empty() && value.back() == L'\0')
        value.pop_back();
    return value;
}

using DeviceSet = std::unique_ptr<void, BOOL(WINAPI*)(HDEVINFO)>;

// Every present device of a class (of every class without one), each visited once; none when
// the device manager cannot list them.
template <typename Visit>
void for_each_present_device(const GUID* device_class, Visit visit)
{
    const DWORD flags = DIGCF_PRESENT | (device_class == nullptr ? DIGCF_ALLCLASSES : 0);
    const HDEVINFO opened = SetupDiGetClassDevsW(device_class, nullptr, nullptr, flags);
    if (opened == INVALID_HANDLE_VALUE)
        return;
    const DeviceSet set(opened, SetupDiDestroyDeviceInfoList);
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof(info);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(opened, index, &info); ++index)
        visit(opened, info);
}

// A text property of the device (the first string of a list); empty when it has none.
std::string device_property(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD property)
{
    DWORD type = 0, size = 0;
    SetupDiGetDeviceRegistryPropertyW(set, &info, property, &type, nullptr, 0, &size);
    if (size < sizeof(wchar_t))
        return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (!SetupDiGetDeviceRegistryPropertyW(set, &info, property, &type,
                                           reinterpret_cast<BYTE*>(value.data()), size, nullptr) ||
        (type != REG_SZ && type != REG_MULTI_SZ))
        return {};
    return utf8_of(value.c_str());
}

std::wstring device_key_value(HDEVINFO set, SP_DEVINFO_DATA& info, DWORD key_type,
                              const wchar_t* name)
{
    const HKEY opened = SetupDiOpenDevRegKey(set, &info, DICS_FLAG_GLOBAL, 0, key_type, KEY_READ);
    if (opened == INVALID_HANDLE_VALUE)
        return {};
    const RegistryKey key(opened);
    return string_value(key.get(), name);
}

// The four hex digits after "VID_" or "PID_" in a hardware ID, in lower case; empty without.
std::string hex_after(std::string_view hardware_id, std::string_view tag)
{
    const std::size_t at = hardware_id.find(tag);
    if (at == std::string_view::npos || hardware_id.size() < at + tag.size() + 4)
        return {};
    std::string digits(hardware_id.substr(at + tag.size(), 4));
    for (char& digit : digits)
        digit = static_cast<char>(std::tolower(static_cast<unsigned char>(digit)));
    return digits;
}

// Who the device is: USB ID from its hardware ID, the serial number that USB devices with one
// carry as the last part of their instance ID (Windows makes up one with "&" for the others),
// and the hub and socket it hangs on.
AdapterFacts usb_identity(HDEVINFO set, SP_DEVINFO_DATA& info)
{
    AdapterFacts facts;
    facts.hardware_id = device_property(set, info, SPDRP_HARDWAREID);
    const std::string vendor = hex_after(facts.hardware_id, "VID_");
    const std::string product = hex_after(facts.hardware_id, "PID_");
    if (!vendor.empty() && !product.empty())
        facts.usb_id = vendor + ":" + product;
    std::wstring instance(MAX_DEVICE_ID_LEN, L'\0');
    if (facts.hardware_id.starts_with("USB\\") &&
        CM_Get_Device_IDW(info.DevInst, instance.data(), MAX_DEVICE_ID_LEN, 0) == CR_SUCCESS) {
        const std::string id = utf8_of(instance.c_str());
        const std::string last = id.substr(id.rfind('\\') + 1);
        if (last.find('&') == std::string::npos)
            facts.serial_number = last;
    }
    facts.location = device_property(set, info, SPDRP_LOCATION_INFORMATION);
    return facts;
}

// The device manager's friendly name of each port that has one ("USB Serial Port (COM3)"), and
// its adapter's identity, by port name. Ports the device manager does not know (Wine knows none)
// are listed without them.
std::map<std::wstring, std::pair<std::string, std::string>> friendly_names()
{
    std::map<std::wstring, std::pair<std::string, std::string>> names;
    for_each_present_device(&GUID_DEVCLASS_PORTS, [&](HDEVINFO set, SP_DEVINFO_DATA& info) {
        const std::wstring port = device_key_value(set, info, DIREG_DEV, L"PortName");
        const std::string friendly = device_property(set, info, SPDRP_FRIENDLYNAME);
        if (port.empty() || friendly.empty())
            return;
        const AdapterFacts identity = usb_identity(set, info);
        names[port] = {friendly, identity.usb_id.empty() ? "" : adapter_identity(identity)};
    });
    return names;
}

// A device's problem code, as Device Manager shows it; none when it runs.
std::optional<unsigned> problem_of(DEVINST device)
{
    ULONG status = 0, problem = 0;
    if (CM_Get_DevNode_Status(&status, &problem, device, 0) != CR_SUCCESS ||
        (status & DN_HAS_PROBLEM) == 0)
        return std::nullopt;
    return static_cast<unsigned>(problem);
}

} // namespace

SystemDeviceInventory::SystemDeviceInventory(std::function<bool()> modem_prober_runs)
    : modem_prober_runs_(std::move(modem_prober_runs))
{
}

// Every present device, not only the Ports class: an adapter without its driver sits under
// "Other devices". A USB device that runs without a problem and is no port is the bus device
// above a port (FTDI's, for one), whose port is listed on its own.
std::vector<AdapterFacts> SystemDeviceInventory::adapters()
{
    std::vector<AdapterFacts> adapters;
    for_each_present_device(nullptr, [&](HDEVINFO set, SP_DEVINFO_DATA& info) {
        AdapterFacts facts = usb_identity(set, info);
        facts.driver = device_property(set, info, SPDRP_SERVICE);
        const bool port = info.ClassGuid == GUID_DEVCLASS_PORTS;
        const bool serial = port || is_serial_driver(facts.driver) ||
                            is_known_serial_chip(facts.usb_id);
        facts.problem_code = problem_of(info.DevInst);
        if (facts.usb_id.empty() || !serial || (!port && !facts.problem_code))
            return;
        const std::string vendor = device_property(set, info, SPDRP_MFG);
        const std::string model = device_property(set, info, SPDRP_DEVICEDESC);
        facts.name = vendor.empty() ? model : vendor + " " + model;
        facts.friendly_name = device_property(set, info, SPDRP_FRIENDLYNAME);
        const std::wstring port_name = device_key_value(set, info, DIREG_DEV, L"PortName");
        if (!port_name.empty()) {
            facts.ports.push_back(utf8_of(port_name));
            facts.devices.push_back("\\\\.\\" + utf8_of(port_name));
        }
        else if (!facts.problem_code)
            return; // not a port of its own

        facts.driver_version = utf8_of(device_key_value(set, info, DIREG_DRV, L"DriverVersion"));
        // Without a driver Windows still names a service for some devices: none runs.
        if (facts.problem_code == 28u)
            facts.driver.clear();
        adapters.push_back(std::move(facts));
    });
    return adapters;
}

std::vector<InventoryDevice> SystemDeviceInventory::devices()
{
    HKEY opened = nullptr;
    const LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, serialcomm_key, 0, KEY_READ, &opened);
    // Windows creates the key when the first serial port appears.
    if (status == ERROR_FILE_NOT_FOUND)
        return {};
    if (status != ERROR_SUCCESS)
        fail(status);
    const RegistryKey key(opened);
    DWORD value_count = 0, longest_name = 0;
    const LSTATUS info = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, &value_count, &longest_name, nullptr, nullptr,
                                          nullptr);
    if (info != ERROR_SUCCESS)
        fail(info);

    // Each value names a port driver's device ("\Device\Serial0"); its data is the port, "COM1".
    const auto friendly = friendly_names();
    std::vector<SerialDeviceFacts> ports;
    std::wstring value_name(longest_name + 1, L'\0');
    for (DWORD index = 0; index < value_count; ++index) {
        DWORD length = longest_name + 1;
        const LSTATUS found = RegEnumValueW(key.get(), index, value_name.data(), &length, nullptr,
                                            nullptr, nullptr, nullptr);
        if (found == ERROR_NO_MORE_ITEMS)
            break; // a port went away during the listing
        if (found != ERROR_SUCCESS)
            fail(found);
        const std::wstring port = string_value(key.get(), value_name.c_str());
        if (port.empty())
            continue;
        const auto known = friendly.find(port);
        const std::string port_name = utf8_of(port);
        const bool named = known != friendly.end();
        const std::string description =
            named ? adapter_description_from_friendly_name(known->second.first, port_name) : "";
        ports.push_back({port_name, "\\\\.\\" + port_name, description,
                         named ? known->second.second : ""});
    }
    return inventory_of(std::move(ports));
}

} // namespace tervalink
