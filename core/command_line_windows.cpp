#include "command_line.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "wide_text_windows.h"

namespace tervalink {

// The C runtime's argv would be the ANSI code page's; the wide command line holds every letter.
std::vector<std::string> command_line_arguments(int, char**)
{
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> wide(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(utf8_of(wide.get()[i]));
    return arguments;
}

} // namespace tervalink
