#include "wide_text_windows.h"

#include <algorithm>
#include <iterator>
#include <limits>

namespace tervalink {

namespace {

// `flags`: MB_ERR_INVALID_CHARS refuses text that is not UTF-8; 0 replaces what is not.
std::optional<std::wstring> to_utf16(std::string_view text, DWORD flags)
{
    if (text.empty())
        return std::wstring();
    const auto length =
        static_cast<int>(std::min<std::size_t>(text.size(), std::numeric_limits<int>::max()));
    const int size = ::MultiByteToWideChar(CP_UTF8, flags, text.data(), length, nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, flags, text.data(), length, wide.data(), size);
    return wide;
}

} // namespace

std::wstring utf16_of(std::string_view text)
{
    return to_utf16(text, 0).value_or(std::wstring());
}

std::optional<std::wstring> exact_utf16_of(std::string_view text)
{
    return to_utf16(text, MB_ERR_INVALID_CHARS);
}

std::string utf8_of(std::wstring_view text)
{
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr,
                                           nullptr);
    std::string converted(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, converted.data(), size, nullptr,
                          nullptr);
    return converted;
}

std::string system_text_of(DWORD code)
{
    wchar_t text[512];
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, 0, text, static_cast<DWORD>(std::size(text)),
                                    nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                          text[length - 1] == L'.' || text[length - 1] == L' '))
        --length;
    const std::string number = "Windows error " + std::to_string(code);
    if (length == 0)
        return number;
    return utf8_of({text, length}) + " (" + number + ")";
}

} // namespace tervalink
