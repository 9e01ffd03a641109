#include "callers_console.h"

#include <windows.h>

#include <cstdio>

namespace tervalink {

// A window program starts without standard handles unless they were redirected. Then it borrows
// the console of the one that started it (cmd, PowerShell), if there is one; redirected output
// stays where it was sent.
void use_callers_console()
{
    const bool has_output = ::GetStdHandle(STD_OUTPUT_HANDLE) != nullptr;
    const bool has_errors = ::GetStdHandle(STD_ERROR_HANDLE) != nullptr;
    if ((has_output && has_errors) || !::AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!has_output)
        std::freopen("CONOUT$", "w", stdout);
    if (!has_errors)
        std::freopen("CONOUT$", "w", stderr);
}

} // namespace tervalink
