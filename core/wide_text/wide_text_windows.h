#pragma once
// The system speaks UTF-16, the program UTF-8.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace tervalink {

// Bytes that are not UTF-8 become U+FFFD.
std::wstring utf16_of(std::string_view text);
// For a name the system must find as written (a file's path): none when the text is not valid
// UTF-8, and GetLastError() then says why (ERROR_NO_UNICODE_TRANSLATION).
std::optional<std::wstring> exact_utf16_of(std::string_view text);

std::string utf8_of(std::wstring_view text);

// The system's own sentence for an error code, without its full stop and line break, and the
// code: "The device is not ready (Windows error 21)".
std::string system_text_of(DWORD code);

} // namespace tervalink
