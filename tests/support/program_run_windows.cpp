#include "program_run_windows.h"

#include <windows.h>

#include <fstream>
#include <iterator>

#include "wide_text_windows.h"

namespace tervalink::test {
namespace {

// The program writes its texts in the C runtime's text mode, lines ending in CR LF as Windows
// programs' do; the tests compare the texts themselves.
std::string text_of(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
        text.erase(at, 1);
    return text;
}

// The quoting the C runtime undoes when it splits a command line into arguments.
std::string quoted(const std::string& arg)
{
    std::string text = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        text.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        text += c;
    }
    return text.append(2 * backslashes, '\\') + "\"";
}

HANDLE inheritable(const std::wstring& path, bool writing)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), writing ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ,
                         &inherit, writing ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr);
}

// The console as a program started from cmd has it: readable too, or GetConsoleMode fails.
HANDLE inheritable_console()
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
}

// The command line goes to Windows in UTF-16, so every letter of the arguments arrives.
ProgramRun run(const std::string& program, const std::vector<std::string>& args,
               const std::string& input, const std::string& scratch, bool errors_on_console)
{
    // A path from the Linux side of Wine is on drive Z:.
    std::string command = quoted(program.starts_with("/") ? "Z:" + program : program);
    for (const std::string& arg : args)
        command += " " + quoted(arg);
    const std::string in = scratch + "stdin", out = scratch + "stdout", err = scratch + "stderr";
    std::ofstream(in, std::ios::binary) << input;
    std::ofstream(err, std::ios::binary).flush(); // empty when the errors go to the console
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = inheritable(utf16_of(in), false);
    start.hStdOutput = inheritable(utf16_of(out), true);
    start.hStdError = errors_on_console ? inheritable_console() : inheritable(utf16_of(err), true);
    PROCESS_INFORMATION process{};
    ProgramRun run;
    std::wstring wide = utf16_of(command);
    if (::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start,
                         &process)) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        ::GetExitCodeProcess(process.hProcess, &status);
        run.status = static_cast<int>(status);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    for (HANDLE handle : {start.hStdInput, start.hStdOutput, start.hStdError})
        ::CloseHandle(handle);
    run.out = text_of(out);
    run.err = text_of(err);
    return run;
}

} // namespace

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& input, const std::string& scratch)
{
    return run(program, args, input, scratch, false);
}

ProgramRun run_program_on_console(const std::string& program, const std::vector<std::string>& args,
                                  const std::string& scratch)
{
    return run(program, args, "", scratch, true);
}

} // namespace tervalink::test
