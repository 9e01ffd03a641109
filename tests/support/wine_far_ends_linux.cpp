// The far ends of the lines for the Windows build's tests under Wine. A Windows program cannot
// open a pseudo-terminal's master, so this Linux program does: it maps COUNT "COM n" ports of the
// Wine prefix onto pseudo-terminals, runs the command, and records what arrives on each, with the
// time of arrival, in a file the Windows side reads. Asked to by a file COMn.<request>, it hangs
// up a line as a pulled adapter would (unplug), stops reading it (stop), stops reading and fills
// its buffer through the slave (fill), or reads again (resume); then it makes COMn.<request>.done.
//
//   wine_far_ends COUNT COMMAND...    (WINEPREFIX names the prefix)
//
// The command finds the ports in TERVALINK_FAR_ENDS: "<folder as Windows names it>;n1,n2,...".
// Each record is 8 bytes of CLOCK_MONOTONIC nanoseconds, 4 bytes of count, then the bytes, all
// little-endian; a record is written with one write.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "line_filler_linux.h"

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
    std::string slave;
    bool reading = true;
    std::size_t filler = 0; // bytes of a fill still to be read and dropped
};

constexpr const char* requests[] = {"unplug", "stop", "fill", "resume"};

[[noreturn]] void fail(const std::string& what)
{
    std::fprintf(stderr, "wine_far_ends: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(125);
}

std::uint64_t now_ns()
{
    timespec at{};
    ::clock_gettime(CLOCK_MONOTONIC, &at);
    return std::uint64_t(at.tv_sec) * 1000000000u + std::uint64_t(at.tv_nsec);
}

bool exists(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
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
    line.slave = name;
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
    ssize_t count = ::read(line.master, chunk + 12, 4096);
    if (count <= 0)
        return;
    const std::size_t dropped = std::min(line.filler, std::size_t(count));
    line.filler -= dropped;
    count -= ssize_t(dropped);
    std::memmove(chunk + 12, chunk + 12 + dropped, std::size_t(count));
    if (count == 0)
        return;
    const std::uint64_t at = now_ns();
    for (int i = 0; i < 8; ++i)
        chunk[i] = std::uint8_t(at >> (8 * i));
    for (int i = 0; i < 4; ++i)
        chunk[8 + i] = std::uint8_t(std::uint64_t(count) >> (8 * i));
    if (::write(line.record, chunk, std::size_t(count) + 12) != count + 12)
        fail("cannot record what arrived on COM" + std::to_string(line.number));
}

// The slave is opened beside the program for a moment, in the settings the program gave it (a
// change of settings would let the kernel make room again).
void fill(Line& line)
{
    const int slave = ::open(line.slave.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0)
        fail("cannot open " + line.slave + " to fill it");
    line.filler += tervalink::test::fill_until_full(slave);
    ::close(slave);
}

void serve_requests(Line& line, const std::string& folder)
{
    for (const std::string request : requests) {
        const std::string asked = folder + "/COM" + std::to_string(line.number) + "." + request;
        if (line.master < 0 || !exists(asked))
            continue;
        ::unlink(asked.c_str());
        if (request == "unplug") {
            ::close(line.master);
            line.master = -1;
        }
        line.reading = request == "resume";
        if (request == "fill")
            fill(line);
        const int done = ::open((asked + ".done").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0600);
        ::close(done);
    }
}

// Relays until the command ends. A master without a program on its slave reports a hang-up at
// once, so such a line is looked at every 2 ms instead of being waited on.
int relay(std::vector<Line>& lines, const std::string& folder, pid_t child)
{
    std::vector<bool> hung_up(lines.size(), true);
    for (;;) {
        std::vector<pollfd> watched;
        std::vector<std::size_t> index;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (lines[i].master >= 0 && lines[i].reading && !hung_up[i]) {
                watched.push_back({lines[i].master, POLLIN, 0});
                index.push_back(i);
            }
        }
        ::poll(watched.data(), watched.size(), 2);
        for (std::size_t w = 0; w < watched.size(); ++w) {
            if (watched[w].revents & POLLIN)
                record_arrival(lines[index[w]]);
            else if (watched[w].revents & POLLHUP)
                hung_up[index[w]] = true;
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (hung_up[i] && lines[i].master >= 0 && lines[i].reading) {
                pollfd alone{lines[i].master, POLLIN, 0};
                ::poll(&alone, 1, 0);
                hung_up[i] = (alone.revents & POLLHUP) != 0 && (alone.revents & POLLIN) == 0;
                if (alone.revents & POLLIN)
                    record_arrival(lines[i]);
            }
            serve_requests(lines[i], folder);
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
    char folder_template[] = "/tmp/tervalink-far-ends.XXXXXX";
    const char* folder_made = ::mkdtemp(folder_template);
    if (folder_made == nullptr)
        fail("mkdtemp");
    const std::string folder = folder_made;
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
    for (const Line& line : lines) {
        ::unlink(line.link.c_str());
        const std::string base = folder + "/COM" + std::to_string(line.number);
        ::unlink((base + ".far").c_str());
        for (const std::string request : requests) {
            ::unlink((base + "." + request).c_str());
            ::unlink((base + "." + request + ".done").c_str());
        }
    }
    ::rmdir(folder.c_str());
    return status;
}
