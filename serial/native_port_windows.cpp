#include "native_port.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "failure.h"
#include "windows_text.h"

namespace tervalink {

struct NativePort::Handle {
    HANDLE port = INVALID_HANDLE_VALUE;
    HANDLE guard = nullptr;
    ~Handle()
    {
        if (port != INVALID_HANDLE_VALUE)
            ::CloseHandle(port);
        if (guard != nullptr)
            ::CloseHandle(guard);
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
    DCB settings{};
    settings.DCBlength = sizeof settings;
    if (!::GetCommState(port, &settings))
        throw Failure("the line settings cannot be read: " + system_text_of(::GetLastError()));
    settings.BaudRate = CBR_57600;
    settings.ByteSize = 8;
    settings.Parity = NOPARITY;
    settings.StopBits = ONESTOPBIT;
    settings.fBinary = TRUE;
    settings.fParity = FALSE;
    settings.fOutxCtsFlow = FALSE;
    settings.fOutxDsrFlow = FALSE;
    settings.fDsrSensitivity = FALSE;
    settings.fOutX = FALSE;
    settings.fInX = FALSE;
    settings.fNull = FALSE;
    settings.fAbortOnError = FALSE;
    settings.fDtrControl = DTR_CONTROL_ENABLE;
    settings.fRtsControl = RTS_CONTROL_ENABLE;
    if (!::SetCommState(port, &settings))
        throw Failure("the line cannot be set to 57600 baud, 8 data bits, no parity, one stop "
                      "bit: " + system_text_of(::GetLastError()));
    // A write returns once the bytes are handed over or the bound has passed; a read returns what
    // has arrived at once, or waits up to read_wait_ms for the first byte.
    COMMTIMEOUTS timeouts{};
    timeouts.WriteTotalTimeoutConstant = write_bound_ms;
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = read_wait_ms;
    if (!::SetCommTimeouts(port, &timeouts))
        throw Failure("the line's time limits cannot be set: " + system_text_of(::GetLastError()));
}

} // namespace

NativePort::NativePort(const std::string& device_path) : handle_(std::make_unique<Handle>())
{
    // Read access too: without it the line settings cannot be read or set.
    handle_->port = ::CreateFileW(utf16_of(device_path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle_->port == INVALID_HANDLE_VALUE)
        throw Failure(open_failure_reason(::GetLastError()));
    handle_->guard = take_guard(device_path);
    apply_line_settings(handle_->port);
}

NativePort::~NativePort() = default;

void NativePort::write_all(std::span<const std::uint8_t> bytes)
{
    DWORD written = 0;
    if (!::WriteFile(handle_->port, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr))
        throw Failure(line_failure_reason(::GetLastError()));
    if (written < bytes.size())
        throw Failure(no_data_taken_reason());
}

std::size_t NativePort::read_some(std::span<std::uint8_t> buffer)
{
    DWORD count = 0;
    if (!::ReadFile(handle_->port, buffer.data(), static_cast<DWORD>(buffer.size()), &count,
                    nullptr))
        throw Failure(line_failure_reason(::GetLastError()));
    return count;
}

} // namespace tervalink
