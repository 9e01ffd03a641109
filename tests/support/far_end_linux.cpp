#include "far_end.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "line_filler_linux.h"
#include "pseudo_terminal_linux.h"
#include "thread_priority.h"

namespace tervalink::test {

// A pseudo-terminal, reachable by its own path and, in a device folder of its own, as ttyUSB7:
// COM 107 of a line whose device root is that folder.
struct FarEnd::Link {
    PseudoTerminal pty;
    std::string folder;
    std::atomic<bool> unplug_asked{false};
    std::atomic<bool> hung_up{false};
    std::atomic<bool> pause_asked{false};
    std::atomic<bool> paused{false};
    std::atomic<std::size_t> filler{0}; // bytes of fill_line still to be read and dropped

    Link()
    {
        std::string pattern = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                              std::string("/tervalink-devices.XXXXXX");
        if (::mkdtemp(pattern.data()) == nullptr ||
            ::symlink(pty.slave_path().c_str(), (pattern + "/ttyUSB7").c_str()) != 0)
            throw std::runtime_error("cannot make a device folder for the far end");
        folder = pattern;
    }
    ~Link()
    {
        ::unlink((folder + "/ttyUSB7").c_str());
        ::rmdir(folder.c_str());
    }
};

// The reader runs at the sender's priority where that is permitted, so that its readings are as
// timely as the writes they measure.
FarEnd::FarEnd() : link_(std::make_unique<Link>())
{
    device_path_ = link_->pty.slave_path();
    device_root_ = link_->folder;
    port_number_ = 107;
    reader_ = std::thread([this] {
        raise_sending_priority();
        read_until_stopped();
    });
}

FarEnd::~FarEnd()
{
    stopping_ = true;
    reader_.join();
}

std::string FarEnd::port_label() const
{
    return port_text() + " (" + device_root_ + "/ttyUSB7)";
}

std::string FarEnd::unmapped_port_failure() const
{
    return "Cannot open COM 251 (" + device_root_ + "/ttyACM51): no such device";
}

// The reading thread hangs up itself, so that no descriptor is closed under its poll.
void FarEnd::unplug()
{
    link_->unplug_asked = true;
    while (!link_->hung_up)
        ::poll(nullptr, 0, 1);
}

void FarEnd::stop_reading()
{
    link_->pause_asked = true;
    while (!link_->paused)
        ::poll(nullptr, 0, 1);
}

// The slave is opened beside the program for a moment, in the settings the program gave it (a
// change of settings would let the kernel make room again).
bool FarEnd::fill_line()
{
    stop_reading();
    const int slave = ::open(device_path_.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0 && errno == EBUSY)
        return false;
    if (slave < 0)
        throw std::runtime_error("cannot open " + device_path_ + " to fill the line");
    link_->filler += tervalink::test::fill_until_full(slave);
    ::close(slave);
    return true;
}

void FarEnd::resume_reading()
{
    link_->pause_asked = false;
    while (link_->paused)
        ::poll(nullptr, 0, 1);
}

void FarEnd::read_until_stopped()
{
    while (!stopping_) {
        if (link_->unplug_asked && !link_->hung_up) {
            link_->pty.close_master();
            link_->hung_up = true;
        }
        link_->paused = link_->pause_asked.load();
        if (link_->paused) {
            ::poll(nullptr, 0, 1);
            continue;
        }
        const int master = link_->pty.master_fd();
        pollfd readable{master, POLLIN, 0};
        if (master < 0 || ::poll(&readable, 1, 10) <= 0) {
            ::poll(nullptr, 0, master < 0 ? 5 : 0);
            continue;
        }
        // With no program holding the slave, the master reports a hang-up at once: wait for
        // the program to open it instead of spinning.
        if ((readable.revents & POLLIN) == 0) {
            ::poll(nullptr, 0, 5);
            continue;
        }
        const auto arrived = Clock::now();
        std::vector<std::uint8_t> fresh = link_->pty.read_available();
        const std::size_t dropped = std::min(fresh.size(), link_->filler.load());
        link_->filler -= dropped;
        fresh.erase(fresh.begin(), fresh.begin() + static_cast<std::ptrdiff_t>(dropped));
        record(fresh, arrived);
    }
}

} // namespace tervalink::test
