#include "program_run_windows.h"

#include <fstream>
#include <iterator>

#include "windows_text.h"

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

} // namespace

StartedProgram::StartedProgram(const std::string& program, const std::vector<std::string>& args,
                               const std::string& input, const std::string& scratch,
                               bool errors_on_console)
    : out_path_(scratch + "stdout"), err_path_(scratch + "stderr")
{
    // A path from the Linux side of Wine is on drive Z:.
    std::string command = quoted(program.starts_with("/") ? "Z:" + program : program);
    for (const std::string& arg : args)
        command += " " + quoted(arg);
    const std::string in = scratch + "stdin";
    std::ofstream(in, std::ios::binary) << input;
    std::ofstream(err_path_, std::ios::binary).flush(); // empty when the errors go elsewhere
    STARTUPINFOW start{};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = streams_[0] = inheritable(utf16_of(in), false);
    start.hStdOutput = streams_[1] = inheritable(utf16_of(out_path_), true);
    start.hStdError = streams_[2] =
        errors_on_console ? inheritable_console() : inheritable(utf16_of(err_path_), true);
    std::wstring wide = utf16_of(command);
    started_ = ::CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE,
                                CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &start, &process_);
}

StartedProgram::~StartedProgram()
{
    // A test that ends early leaves no program behind holding its ports.
    if (started_ && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
        ::TerminateProcess(process_.hProcess, 1);
    if (started_) {
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
    }
    for (HANDLE handle : streams_)
        ::CloseHandle(handle);
}

bool StartedProgram::send_ctrl_break()
{
    return started_ && ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, process_.dwProcessId);
}

ProgramRun StartedProgram::wait()
{
    ProgramRun run;
    if (started_) {
        ::WaitForSingleObject(process_.hProcess, INFINITE);
        DWORD status = 0;
        ::GetExitCodeProcess(process_.hProcess, &status);
        run.status = static_cast<int>(status);
    }
    for (HANDLE& handle : streams_) {
        ::CloseHandle(handle);
        handle = nullptr;
    }
    run.out = text_of(out_path_);
    run.err = text_of(err_path_);
    return run;
}

ProgramRun run_program(const std::string& program, const std::vector<std::string>& args,
                       const std::string& input, const std::string& scratch)
{
    return StartedProgram(program, args, input, scratch).wait();
}

} // namespace tervalink::test
