#include "native_port.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "comm_state_windows.h"
#include "port_closing.h"
#include "wide_text_windows.h"

namespace tervalink {

namespace {

// One operation of a kind (writing, reading) at a time. Its OVERLAPPED and bytes belong to Windows
// until the operation has ended, so they live here, not on a caller's stack.
struct Operation {
    OVERLAPPED overlapped{};
    HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::uint8_t> bytes;
    bool abandoned = false; // a driver that never ended it: the memory must stay

    ~Operation() { ::CloseHandle(done); }
    bool running() const { return abandoned && !HasOverlappedIoCompleted(&overlapped); }
    void begin()
    {
        overlapped = OVERLAPPED{};
        overlapped.hEvent = done;
        ::ResetEvent(done);
    }
};

} // namespace

struct NativePort::Handle {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE guard = nullptr;
    HANDLE interrupted = ::CreateEventW(nullptr, TRUE, FALSE, nullptr); // manual reset: stays set
    std::unique_ptr<Operation> writing = std::make_unique<Operation>();
    std::unique_ptr<Operation> reading = std::make_unique<Operation>();

    ~Handle()
    {
        if (port != INVALID_HANDLE_VALUE)
            ::CloseHandle(port); // cancels what is still running
        for (std::unique_ptr<Operation>* operation : {&writing, &reading}) {
            if ((*operation)->running() &&
                ::WaitForSingleObject((*operation)->done, 1000) != WAIT_OBJECT_0)
                static_cast<void>(operation->release()); // the driver may still use it: leave it
        }
        if (guard != nullptr)
            ::CloseHandle(guard);
        ::CloseHandle(interrupted);
    }
};

namespace {

std::string open_failure_reason(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "no such port";
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return std::string(in_use_reason);
    default:
        return system_text_of(error);
    }
}

std::string line_failure_reason(DWORD error)
{
    switch (error) {
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_NOT_READY:
    case ERROR_INVALID_HANDLE:
        return std::string(device_gone_reason);
    default:
        return system_text_of(error);
    }
}

// Windows' own serial drivers refuse a second opener with "access denied". Drivers that do not
// (Wine's, some virtual ports) are covered by a named guard, so that a second Tervalink on the
// same port is still told that it is in use.
HANDLE take_guard(const std::string& device_path)
{
    std::wstring port = utf16_of(device_path.substr(device_path.rfind('\\') + 1));
    std::transform(port.begin(), port.end(), port.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
    HANDLE guard = ::CreateMutexW(nullptr, FALSE, (L"Local\\Tervalink port " + port).c_str());
    if (guard != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(guard);
        throw Failure(std::string(in_use_reason));
    }
    return guard;
}

void apply_line_settings(HANDLE port)
{
    DCB previous{};
    previous.DCBlength = sizeof previous;
    if (!::GetCommState(port, &previous))
        throw Failure("the line settings cannot be read: " + system_text_of(::GetLastError()));
    DCB settings = antenna_line_state(previous);
    if (!::SetCommState(port, &settings))
        throw Failure("the line cannot be set to 57600 baud, 8 data bits, no parity, one stop "
                      "bit: " + system_text_of(::GetLastError()));
    // A write returns once the bytes are handed over or the bound has passed; a read returns what
    // has arrived at once, or waits up to read_wait_ms for the first byte. A driver that ignores
    // these is held to the same bounds by the waits below.
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutConstant = write_bound_ms;
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = read_wait_ms;
    if (!::SetCommTimeouts(port, &timeouts))
        throw Failure("the line's time limits cannot be set: " + system_text_of(::GetLastError()));
}

// How an operation ended: what it moved, the system's code, and whether the wait for it ran out
// or a stop interrupted it (it was cancelled then).
struct Outcome {
    std::size_t transferred = 0;
    DWORD error = ERROR_SUCCESS;
    bool timed_out = false;
    bool interrupted = false;
};

// A driver needs a moment to end a cancelled operation; one that takes longer has hung.
constexpr DWORD cancel_grace_ms = 1000;

const std::string driver_hung_reason =
    "the adapter's driver does not end a stalled transfer; unplug the adapter and plug it in again";

// Starts the operation and waits up to bound_ms for it, or until interrupted; cancels it then.
template <typename Start>
Outcome run_operation(HANDLE port, HANDLE interrupted, Operation& operation, DWORD bound_ms,
                      Start start)
{
    if (operation.running())
        throw Failure(driver_hung_reason);
    operation.abandoned = false;
    operation.begin();
    if (!start()) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_IO_PENDING)
            return {0, error, false, false};
    }
    const HANDLE events[] = {operation.done, interrupted};
    const DWORD woke = ::WaitForMultipleObjects(2, events, FALSE, bound_ms);
    Outcome outcome;
    outcome.timed_out = woke == WAIT_TIMEOUT;
    outcome.interrupted = woke == WAIT_OBJECT_0 + 1;
    if (woke != WAIT_OBJECT_0)
        ::CancelIoEx(port, &operation.overlapped);
    if (::WaitForSingleObject(operation.done, cancel_grace_ms) != WAIT_OBJECT_0) {
        operation.abandoned = true;
        throw Failure(driver_hung_reason);
    }
    DWORD transferred = 0;
    if (!::GetOverlappedResult(port, &operation.overlapped, &transferred, FALSE))
        outcome.error = ::GetLastError();
    outcome.transferred = transferred;
    return outcome;
}

// The driver's output queue. ClearCommError counts what the pending writes have still to send;
// PurgeComm ends those writes and clears the driver's own buffer, so that CloseHandle (whose
// cleanup cancels what is still queued) leaves nothing for the driver to wait out.
class CommOutputQueue : public OutputQueue {
public:
    explicit CommOutputQueue(HANDLE port) : port_(port) {}
    std::optional<std::size_t> unsent() override
    {
        DWORD errors = 0;
        COMSTAT status{};
        if (!::ClearCommError(port_, &errors, &status))
            return std::nullopt;
        return status.cbOutQue;
    }
    void discard() override { ::PurgeComm(port_, PURGE_TXABORT | PURGE_TXCLEAR); }

private:
    HANDLE port_;
};

} // namespace

NativePort::NativePort(const std::string& device_path) : handle_(std::make_unique<Handle>())
{
    // Read access too: without it the line settings cannot be read or set. Overlapped, so that no
    // wait for the device is longer than its bound, whatever the driver does with the time
    // limits, and so that a stop can cut one short.
    handle_->port = ::CreateFileW(utf16_of(device_path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle_->port == INVALID_HANDLE_VALUE)
        throw Failure(open_failure_reason(::GetLastError()));
    handle_->guard = take_guard(device_path);
    apply_line_settings(handle_->port);
}

// FlushFileBuffers is not used: it waits for the queue without any bound.
NativePort::~NativePort()
{
    CommOutputQueue queue(handle_->port);
    MonotonicClock clock;
    drain_or_discard(queue, clock, taking_);
}

void NativePort::hand_over(std::span<const std::uint8_t> bytes)
{
    Operation& writing = *handle_->writing;
    const Outcome outcome = run_operation(
        handle_->port, handle_->interrupted, writing, write_bound_ms, [&] {
            writing.bytes.assign(bytes.begin(), bytes.end());
            return ::WriteFile(handle_->port, writing.bytes.data(),
                               static_cast<DWORD>(writing.bytes.size()), nullptr,
                               &writing.overlapped);
        });
    if (outcome.transferred == bytes.size())
        return;
    if (outcome.interrupted)
        throw Failure(std::string(interrupted_reason));
    // A sound driver ends the write at its time limit with what it took, as a success or with
    // ERROR_SEM_TIMEOUT or ERROR_TIMEOUT (Wine); our own cancel at the bound ends it as aborted.
    const bool stalled = outcome.error == ERROR_SUCCESS || outcome.error == ERROR_SEM_TIMEOUT ||
                         outcome.error == ERROR_TIMEOUT ||
                         (outcome.timed_out && outcome.error == ERROR_OPERATION_ABORTED);
    const std::string reason =
        stalled ? stalled_reason(outcome.transferred) : line_failure_reason(outcome.error);
    if (outcome.transferred > 0)
        throw CutFrame(outcome.transferred, bytes.size(), reason);
    throw Failure(reason);
}

void NativePort::interrupt()
{
    ::SetEvent(handle_->interrupted);
}

std::size_t NativePort::read_some(std::span<std::uint8_t> buffer)
{
    Operation& reading = *handle_->reading;
    // The driver ends the read after read_wait_ms; the wait allows it as long again.
    const Outcome outcome = run_operation(handle_->port, handle_->interrupted, reading,
                                          2 * read_wait_ms, [&] {
        reading.bytes.resize(buffer.size());
        return ::ReadFile(handle_->port, reading.bytes.data(), static_cast<DWORD>(buffer.size()),
                          nullptr, &reading.overlapped);
    });
    if (outcome.interrupted)
        throw Failure(std::string(interrupted_reason));
    const bool ran_out = outcome.timed_out && outcome.error == ERROR_OPERATION_ABORTED;
    if (outcome.error != ERROR_SUCCESS && !ran_out)
        throw Failure(line_failure_reason(outcome.error));
    std::copy_n(reading.bytes.begin(), outcome.transferred, buffer.begin());
    return outcome.transferred;
}

} // namespace tervalink
