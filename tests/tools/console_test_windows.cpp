// tervalink-frames on a Windows console, as a technician starts it from cmd or PowerShell. Wine
// gives this test program a console of its own when its terminal is a pseudo-terminal (see
// CMakeLists.txt); the tool shares it, as a program started from a console does.
#include <regex>

#include "far_end.h"
#include "program_run_windows.h"
#include "text_lines.h"
#include "tools_test_support.h"
#include "windows_text.h"
#include "worked_frames.h"

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
// "Ã¤" for "ä", and "ł" or "衛" not at all. The tool's errors reach it in every letter.
TEST(Console, ShowsEveryLetterWhateverItsCodePage)
{
    ASSERT_TRUE(::SetConsoleOutputCP(850));
    const std::string missing = "Fehlt-ä-ł-衛星.csv";
    test::StartedProgram tool(TERVALINK_FRAMES, {"check", "--file", missing}, "",
                              scratch_file("console_"), true);
    EXPECT_EQ(tool.wait().status, 5);
    const std::string screen = console_screen();
    EXPECT_NE(screen.find("Cannot open " + missing + ": no such file; check the name and the folder"),
              std::string::npos)
        << screen;
}

// Ctrl-Break ends a send in the pause it comes in: the exit status is 143, the summary names it,
// and the antenna unit has whole frames only, as many as the summary says. Wine 8 refuses to send
// the event (GenerateConsoleCtrlEvent fails with ERROR_INVALID_HANDLE, for the program's group and
// for the whole console alike), so there the test is skipped, saying so.
TEST(Console, CtrlBreakEndsASendBetweenFrames)
{
    test::FarEnd far_end;
    Args args{"send", far_end.device_path(), "--choice", "13"};
    for (int k = 0; k < 10; ++k)
        args.insert(args.end(),
                    {"--set", "auto:" + std::to_string(k) + "=" + test::autosym_rates[k]});
    test::StartedProgram tool(TERVALINK_FRAMES, args, "", scratch_file("break_"));
    ASSERT_TRUE(far_end.wait_for_bytes(24, std::chrono::seconds(10)));
    if (!tool.send_ctrl_break())
        GTEST_SKIP() << "this system sends no Ctrl-Break: " << system_text_of(::GetLastError());
    const test::ProgramRun run = tool.wait();

    EXPECT_EQ(run.status, 143) << run.err;
    EXPECT_EQ(run.err, "");
    std::smatch summary;
    const std::string last = test::lines_of(run.out).back();
    ASSERT_TRUE(std::regex_match(
        last, summary,
        std::regex(".*: stopped by Ctrl-Break in update 1 of 1, AUTO SYMBOL, repetition [1-5] of "
                   "5 after ([0-9]+) frames?")))
        << last;
    const std::size_t frames = std::stoul(summary[1]);
    far_end.wait_for_bytes(24 * frames + 1, std::chrono::seconds(1)); // nothing more may come
    const test::Bytes all = test::repeated({test::autosym, test::autosym_tagged}, 5);
    EXPECT_EQ(far_end.bytes(), test::Bytes(all.begin(), all.begin() + 24 * frames));
    EXPECT_LT(frames, 10u);
}

} // namespace
} // namespace tervalink::frames_tool
