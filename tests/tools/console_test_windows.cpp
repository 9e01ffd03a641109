// tervalink-frames on a Windows console, as a technician starts it from cmd or PowerShell. Wine
// gives this test program a console of its own when its terminal is a pseudo-terminal (see
// CMakeLists.txt); the tool shares it, as a program started from a console does. Ctrl-Break is
// not tested: Wine 8 refuses GenerateConsoleCtrlEvent (ERROR_INVALID_HANDLE).
#include <windows.h>

#include "program_run_windows.h"
#include "tools_test_support.h"
#include "wide_text_windows.h"

namespace tervalink::frames_tool {
namespace {

// The console's screen buffer as UTF-8, row after row: a message longer than a row reads on.
std::string console_screen()
{
    const HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ::GetConsoleScreenBufferInfo(console, &info);
    std::wstring row(static_cast<std::size_t>(info.dwSize.X), L' ');
    std::string screen;
    for (SHORT y = 0; y < info.dwSize.Y; ++y) {
        DWORD read = 0;
        ::ReadConsoleOutputCharacterW(console, row.data(), static_cast<DWORD>(row.size()),
                                      COORD{0, y}, &read);
        screen += utf8_of(std::wstring_view(row.data(), read));
    }
    ::CloseHandle(console);
    return screen;
}

// On a German Windows the console's code page is 850: UTF-8 bytes written to it would show
// "├ñ" for "ä", and other signs for "ł" or "衛". The tool's errors reach it in every letter.
TEST(Console, ShowsEveryLetterWhateverItsCodePage)
{
    ASSERT_TRUE(::SetConsoleOutputCP(850));
    const std::string missing = "Fehlt-ä-ł-衛星.csv";
    EXPECT_EQ(test::run_program_on_console(TERVALINK_FRAMES, {"check", "--file", missing},
                                           scratch_file("console_"))
                  .status,
              5);
    const std::string screen = console_screen();
    EXPECT_NE(screen.find("Cannot open " + missing + ": no such file; check the name and the folder"),
              std::string::npos)
        << screen;
}

} // namespace
} // namespace tervalink::frames_tool
