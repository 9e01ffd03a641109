#include "private_system_bus.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include <systemd/sd-bus.h>

extern char** environ;

namespace tervalink::test {
namespace {

// Anyone on this bus may own any name and call anything: it carries the test and its mock alone.
constexpr const char* bus_configuration = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path=@FOLDER@/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

// Debian's interpreter, which python3-dbusmock is installed for (a PATH may put another first).
constexpr const char* debian_python = "/usr/bin/python3";

// Starts `args`, its standard output on `output_fd` (-1: thrown away), with no signal held: a
// test that holds SIGINT and SIGTERM for its own run must still be able to end its children.
pid_t spawn(const std::vector<std::string>& args, int output_fd = -1)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (output_fd >= 0)
        posix_spawn_file_actions_adddup2(&actions, output_fd, STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t child = -1;
    const int failed = posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        throw std::runtime_error("cannot start " + args[0]);
    return child;
}

void end(pid_t child)
{
    if (child <= 0)
        return;
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
}

// The first line `fd` carries within `bound`, without its line break.
std::string read_line(int fd, std::chrono::seconds bound)
{
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (line.empty() || line.back() != '\n') {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd ready{fd, POLLIN, 0};
        char c = 0;
        if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) != 1 ||
            ::read(fd, &c, 1) != 1)
            throw std::runtime_error("dbus-daemon gave no address");
        line += c;
    }
    line.pop_back();
    return line;
}

struct Bus {
    Bus()
    {
        if (sd_bus_open_system(&bus) < 0)
            throw std::runtime_error("the private system bus cannot be reached");
    }
    ~Bus() { sd_bus_flush_close_unref(bus); }
    sd_bus* bus = nullptr;
};

bool logind_is_up()
{
    Bus connection;
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (sd_bus_call_method(connection.bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s",
                           "org.freedesktop.login1") >= 0)
        sd_bus_message_read(reply, "b", &owned);
    sd_bus_message_unref(reply);
    return owned != 0;
}

} // namespace

SystemBusAddress::SystemBusAddress(const std::string& address)
{
    if (const char* now = std::getenv("DBUS_SYSTEM_BUS_ADDRESS"))
        previous_ = now;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
}

SystemBusAddress::~SystemBusAddress()
{
    if (previous_)
        ::setenv("DBUS_SYSTEM_BUS_ADDRESS", previous_->c_str(), 1);
    else
        ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

PrivateSystemBus::PrivateSystemBus()
{
    std::string folder = (std::filesystem::temp_directory_path() / "tervalink_bus_XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr)
        throw std::runtime_error("cannot make a folder for the private bus");
    folder_ = folder;
    std::string configuration = bus_configuration;
    configuration.replace(configuration.find("@FOLDER@"), 8, folder_);
    std::ofstream(folder_ + "/bus.conf") << configuration;

    int address_pipe[2];
    if (::pipe2(address_pipe, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make a pipe for the bus address");
    try {
        daemon_ = spawn({"dbus-daemon", "--config-file=" + folder_ + "/bus.conf", "--nofork",
                         "--print-address=1"},
                        address_pipe[1]);
        ::close(address_pipe[1]);
        address_.emplace(read_line(address_pipe[0], std::chrono::seconds(20)));
        ::close(address_pipe[0]);
    } catch (...) {
        ::close(address_pipe[0]);
        stop();
        throw;
    }
    logind_ = spawn({debian_python, "-m", "dbusmock", "--system", "--template", "logind"});
    // Python's start-up on a loaded machine: seconds, not minutes.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!logind_is_up()) {
        if (std::chrono::steady_clock::now() > deadline) {
            stop();
            throw std::runtime_error("python3-dbusmock's logind did not come up");
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

PrivateSystemBus::~PrivateSystemBus() { stop(); }

void PrivateSystemBus::stop()
{
    end(logind_);
    end(daemon_);
    logind_ = daemon_ = -1;
    address_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::vector<std::string> PrivateSystemBus::inhibitors() const
{
    Bus connection;
    sd_bus_message* reply = nullptr;
    std::vector<std::string> listed;
    if (sd_bus_call_method(connection.bus, "org.freedesktop.login1", "/org/freedesktop/login1",
                           "org.freedesktop.login1.Manager", "ListInhibitors", nullptr, &reply,
                           nullptr) < 0)
        throw std::runtime_error("logind did not list its inhibitors");
    sd_bus_message_enter_container(reply, SD_BUS_TYPE_ARRAY, "(ssssuu)");
    const char *what, *who, *why, *mode;
    std::uint32_t uid, pid;
    while (sd_bus_message_read(reply, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid) > 0)
        listed.push_back(std::string(what) + " | " + who + " | " + why + " | " + mode);
    sd_bus_message_unref(reply);
    return listed;
}

bool PrivateSystemBus::wait_until_no_inhibitors(std::chrono::seconds bound) const
{
    const auto deadline = std::chrono::steady_clock::now() + bound;
    while (!inhibitors().empty()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace tervalink::test
