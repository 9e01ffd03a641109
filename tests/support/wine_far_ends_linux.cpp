// The far ends of the lines for the Windows build's tests under Wine. A Windows program cannot
// open a pseudo-terminal's master, so this Linux program does: it maps COUNT "COM n" ports of the
// Wine prefix onto pseudo-terminals, runs the command, and records what arrives on each, with the
// time of arrival, in a file the Windows side reads. Asked to by a file COMn.<request>, it hangs
// up a line as a pulled adapter would (unplug), stops reading it (stop), or reads again (resume);
// then it makes COMn.<request>.done.
//
//   wine_far_ends COUNT COMMAND...    (WINEPREFIX names the prefix)
//
// The command finds the ports in TERVALINK_FAR_ENDS: "<folder as Windows names it>;n1,n2,...".
// Each record is 8 bytes of steady_clock (CLOCK_MONOTONIC) nanoseconds and 4 bytes of count, in
// the order of the machine both sides run on, then the bytes; a record is written with one write.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Numbers the tests never use for anything else; a lock per number keeps parallel runs apart.
constexpr int first_number = 20;
constexpr int last_number = 250;

struct Line {
    int number = 0;
    int lock = -1;
    int master = -1;
    int record = -1;
    std::string link;
    bool reading = true;
    bool hung_up = true; // no program holds the slave
};

constexpr const char* requests[] = {"unplug", "stop", "resume"};

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "wine_far_ends: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(125);
}

int take_free_number(const std::string& locks, int after, int& lock)
{
    for (int number = after + 1; number <= last_number; ++number) {
        const std::string path = locks + "/" + std::to_string(number) + ".lock";
        lock = ::open(path.c_str(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        if (lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0)
            return number;
        if (lock >= 0)
            ::close(lock);
    }
    errno = EBUSY;
    fail("no free COM number in " + locks);
}

Line open_line(const std::string& prefix, const std::string& folder, int after)
{
    Line line;
    line.number = take_free_number(prefix + "/tervalink-far-ends", after, line.lock);
    int slave = -1;
    char name[256] = {};
    if (::openpty(&line.master, &slave, name, nullptr, nullptr) != 0)
        fail("openpty");
    ::close(slave); // the program's own open and close must be what the far end sees
    // Wine must not inherit the master, or closing it here would not hang the line up.
    ::fcntl(line.master, F_SETFD, FD_CLOEXEC);
    ::fcntl(line.master, F_SETFL, ::fcntl(line.master, F_GETFL) | O_NONBLOCK);
    line.link = prefix + "/dosdevices/com" + std::to_string(line.number);
    ::unlink(line.link.c_str());
    if (::symlink(name, line.link.c_str()) != 0)
        fail("cannot link " + line.link);
    const std::string record = folder + "/COM" + std::to_string(line.number) + ".far";
    line.record = ::open(record.c_str(), O_CREAT | O_WRONLY | O_APPEND | O_CLOEXEC, 0600);
    if (line.record < 0)
        fail("cannot write " + record);
    return line;
}

void record_arrival(Line& line)
{
    std::uint8_t chunk[4096 + 12];
    const ssize_t count = ::read(line.master, chunk + 12, 4096);
    if (count <= 0)
        return;
    const std::uint64_t at = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch()).count();
    const std::uint32_t size = std::uint32_t(count);
    std::memcpy(chunk, &at, 8);
    std::memcpy(chunk + 8, &size, 4);
    if (::write(line.record, chunk, size + 12) != count + 12)
        fail("cannot record what arrived on COM" + std::to_string(line.number));
}

void serve_requests(Line& line, const std::string& folder)
{
    for (const std::string request : requests) {
        const std::string asked = folder + "/COM" + std::to_string(line.number) + "." + request;
        if (line.master < 0 || ::access(asked.c_str(), F_OK) != 0)
            continue;
        ::unlink(asked.c_str());
        if (request == "unplug") {
            ::close(line.master);
            line.master = -1;
        }
        line.reading = request == "resume";
        const int done = ::open((asked + ".done").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ::close(done);
    }
}

// Relays until the command ends. A master without a program on its slave reports a hang-up at
// once, so such a line is not waited on, only looked at after each wait of at most 2 ms.
int relay(std::vector<Line>& lines, const std::string& folder, pid_t child)
{
    for (;;) {
        std::vector<pollfd> live;
        for (const Line& line : lines)
            if (line.master >= 0 && line.reading && !line.hung_up)
                live.push_back({line.master, POLLIN, 0});
        ::poll(live.data(), live.size(), 2);
        for (Line& line : lines) {
            pollfd alone{line.master, POLLIN, 0}; // poll passes over a master already closed
            if (line.reading)
                ::poll(&alone, 1, 0);
            line.hung_up = (alone.revents & (POLLIN | POLLHUP)) == POLLHUP;
            if (alone.revents & POLLIN)
                record_arrival(line);
            serve_requests(line, folder);
        }
        int status = 0;
        if (::waitpid(child, &status, WNOHANG) == child)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const char* prefix = std::getenv("WINEPREFIX");
    if (argc < 3 || prefix == nullptr) {
        std::fputs("usage: WINEPREFIX=DIR wine_far_ends COUNT COMMAND...\n", stderr);
        return 125;
    }
    std::string folder = "/tmp/tervalink-far-ends.XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr)
        fail("mkdtemp");
    ::mkdir((std::string(prefix) + "/tervalink-far-ends").c_str(), 0700);
    std::vector<Line> lines;
    std::string numbers;
    for (int i = 0, after = first_number - 1; i < std::atoi(argv[1]); ++i) {
        lines.push_back(open_line(prefix, folder, after));
        after = lines.back().number;
        numbers += (numbers.empty() ? "" : ",") + std::to_string(after);
    }
    ::setenv("TERVALINK_FAR_ENDS", ("Z:" + folder + ";" + numbers).c_str(), 1);
    const pid_t child = ::fork();
    if (child == 0) {
        ::execvp(argv[2], argv + 2);
        fail(std::string("cannot run ") + argv[2]);
    }
    const int status = relay(lines, folder, child);
    for (const Line& line : lines)
        ::unlink(line.link.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return status;
}
