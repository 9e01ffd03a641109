#include "system_device_inventory.h"

// In this order: the others build on windows.h, and initguid.h makes devguid.h define the
// device class GUIDs here rather than only declare them.
#include <windows.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>

#include <map>
#include <memory>

#include "failure.h"
#include "windows_text.h"
#include "inventory_naming.h"

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

// The device manager's friendly name of each port that has one ("USB Serial Port (COM3)"), by
// port name. Ports the device manager does not know (Wine knows none) are listed without one.
std::map<std::wstring, std::string> friendly_names()
{
    std::map<std::wstring, std::string> names;
    const HDEVINFO opened =
        SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (opened == INVALID_HANDLE_VALUE)
        return names;
    const std::unique_ptr<void, BOOL(WINAPI*)(HDEVINFO)> set(opened, SetupDiDestroyDeviceInfoList);
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof(info);
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set.get(), index, &info); ++index) {
        const HKEY opened_key =
            SetupDiOpenDevRegKey(set.get(), &info, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (opened_key == INVALID_HANDLE_VALUE)
            continue;
        const RegistryKey device_key(opened_key);
        const std::wstring port = string_value(device_key.get(), L"PortName");
        DWORD type = 0, size = 0;
        SetupDiGetDeviceRegistryPropertyW(set.get(), &info, SPDRP_FRIENDLYNAME, &type, nullptr, 0,
                                          &size);
        std::wstring friendly(size / sizeof(wchar_t), L'\0');
        if (port.empty() || friendly.empty() ||
            !SetupDiGetDeviceRegistryPropertyW(set.get(), &info, SPDRP_FRIENDLYNAME, &type,
                                               reinterpret_cast<BYTE*>(friendly.data()), size,
                                               nullptr) ||
            type != REG_SZ)
            continue;
        names[port] = utf8_of(friendly.c_str());
    }
    return names;
}

} // namespace

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
    const std::map<std::wstring, std::string> friendly = friendly_names();
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
        const std::string description =
            known == friendly.end() ? "" : windows_adapter_description(known->second, port_name);
        ports.push_back({port_name, "\\\\.\\" + port_name, description});
    }
    return windows_inventory(std::move(ports));
}

} // namespace tervalink
