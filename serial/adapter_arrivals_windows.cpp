#include "adapter_arrivals.h"

#include <windows.h>
// windows.h first: the headers below build on its types.
#include <cfgmgr32.h>

#include <algorithm>

// MinGW-w64's cfgmgr32.h declares the notification types but not the two functions; these are
// the prototypes of Microsoft's pages (CM_Register_Notification, CM_Unregister_Notification),
// exported by cfgmgr32.dll since Windows 8.
extern "C" {
CMAPI CONFIGRET WINAPI CM_Register_Notification(PCM_NOTIFY_FILTER filter, PVOID context,
                                                PCM_NOTIFY_CALLBACK callback,
                                                PHCMNOTIFICATION notification);
CMAPI CONFIGRET WINAPI CM_Unregister_Notification(HCMNOTIFICATION notification);
}

namespace tervalink {
namespace {

// GUID_DEVINTERFACE_COMPORT, as winioctl.h declares it; written out here so that no header has
// to define it in this file (ntddser.h, which would, needs the driver kit's types).
constexpr GUID com_port_interface = {0x86e0d1e0, 0x8089, 0x11d0,
                                     {0x9c, 0xe4, 0x08, 0x00, 0x3e, 0x30, 0x1f, 0x73}};

// With arrival notifications, the device manager is still asked again now and then: a driver
// that registers no COM port interface for its port sends none. Without them (Wine has none)
// it is asked every second; a technician replugs a cable in a second or two.
constexpr std::chrono::milliseconds look_interval_notified{5000};
constexpr std::chrono::milliseconds look_interval_unnotified{1000};

// Arrivals of the COM port interface (GUID_DEVINTERFACE_COMPORT), which the serial drivers of
// USB adapters register for each port they make. The callback runs on a thread of the system's
// pool; it only sets an event, which the wait watches beside the stop's.
// Wine exports CM_Register_Notification as a stub that ends the program when called.
bool under_wine()
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

class ComPortArrivals : public AdapterArrivals {
public:
    ComPortArrivals()
        : interrupted_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          arrived_(CreateEventW(nullptr, FALSE, FALSE, nullptr))
    {
    }
    ~ComPortArrivals() override
    {
        stop_listening();
        for (HANDLE event : {interrupted_, arrived_})
            if (event != nullptr)
                CloseHandle(event);
    }

    void listen() override
    {
        stop_listening();
        ResetEvent(arrived_);
        if (under_wine())
            return;
        CM_NOTIFY_FILTER filter{};
        filter.cbSize = sizeof filter;
        filter.FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
        filter.u.DeviceInterface.ClassGuid = com_port_interface;
        if (CM_Register_Notification(&filter, this, &ComPortArrivals::notified, &notification_) !=
            CR_SUCCESS)
            notification_ = nullptr;
    }

    // Never from the callback: the unregistration waits for callbacks in progress.
    void stop_listening() override
    {
        if (notification_ != nullptr)
            CM_Unregister_Notification(notification_);
        notification_ = nullptr;
    }

    ArrivalWait wait(std::chrono::steady_clock::time_point deadline) override
    {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return ArrivalWait::timed_out;
        const auto interval =
            notification_ != nullptr ? look_interval_notified : look_interval_unnotified;
        const HANDLE events[] = {interrupted_, arrived_};
        const DWORD woken = WaitForMultipleObjects(
            2, events, FALSE, static_cast<DWORD>(std::min(left, interval).count()));
        if (woken == WAIT_OBJECT_0)
            return ArrivalWait::interrupted;
        return ArrivalWait::look_again;
    }

    void interrupt() override { SetEvent(interrupted_); }

private:
    static DWORD CALLBACK notified(HCMNOTIFICATION, PVOID context, CM_NOTIFY_ACTION action,
                                   PCM_NOTIFY_EVENT_DATA, DWORD)
    {
        if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL)
            SetEvent(static_cast<ComPortArrivals*>(context)->arrived_);
        return ERROR_SUCCESS;
    }

    HANDLE interrupted_;
    HANDLE arrived_;
    HCMNOTIFICATION notification_ = nullptr;
};

} // namespace

std::unique_ptr<AdapterArrivals> system_adapter_arrivals()
{
    return std::make_unique<ComPortArrivals>();
}

} // namespace tervalink
