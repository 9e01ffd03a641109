#include "sleep_guard.h"

#include "wide_text_windows.h"

namespace tervalink {
namespace {

// A power request names Tervalink and its reason in `powercfg /requests`; it counts for the
// system as a whole, not only the display.
class PowerRequestHold final : public AwakeHold {
public:
    explicit PowerRequestHold(HANDLE request) : request_(request) {}
    ~PowerRequestHold() override
    {
        ::PowerClearRequest(request_, PowerRequestSystemRequired);
        ::CloseHandle(request_);
    }

private:
    HANDLE request_;
};

// Where power requests are refused: the older per-thread state, which shows no reason. It stays
// until the same thread sets it again, so the hold must end on the thread that took it.
class ExecutionStateHold final : public AwakeHold {
public:
    ~ExecutionStateHold() override { ::SetThreadExecutionState(ES_CONTINUOUS); }
};

// Null when Windows refused; `refused` then holds its reason.
HANDLE set_power_request(DWORD& refused)
{
    std::wstring reason = utf16_of(awake_reason);
    REASON_CONTEXT context{};
    context.Version = POWER_REQUEST_CONTEXT_VERSION;
    context.Flags = POWER_REQUEST_CONTEXT_SIMPLE_STRING;
    context.Reason.SimpleReasonString = reason.data();
    HANDLE request = ::PowerCreateRequest(&context);
    if (request == INVALID_HANDLE_VALUE) {
        refused = ::GetLastError();
        return nullptr;
    }
    if (!::PowerSetRequest(request, PowerRequestSystemRequired)) {
        refused = ::GetLastError();
        ::CloseHandle(request);
        return nullptr;
    }
    return request;
}

} // namespace

std::unique_ptr<AwakeHold> SystemSleepGuard::hold_awake()
{
    DWORD refused = 0;
    if (HANDLE request = set_power_request(refused))
        return std::make_unique<PowerRequestHold>(request);
    if (::SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) != 0)
        return std::make_unique<ExecutionStateHold>();
    return std::make_unique<AwakeHold>("Windows refused to keep the machine awake (" +
                                       system_text_of(refused) + ")");
}

} // namespace tervalink
