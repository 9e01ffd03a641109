#pragma once
// Windows only: the system speaks UTF-16, the program UTF-8.
#include <windows.h>

#include <string>
#include <string_view>

namespace tervalink {

std::wstring utf16_of(std::string_view text);
std::string utf8_of(std::wstring_view text);

// The system's own sentence for an error code, without its full stop and line break, and the
// code: "The device is not ready (Windows error 21)".
std::string system_text_of(DWORD code);

} // namespace tervalink
