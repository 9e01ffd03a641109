#include "far_end.h"

#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "pseudo_terminal_linux.h"
#include "thread_priority.h"

namespace tervalink::test {
namespace {

// Asks the reading thread for a change and waits until it has made it.
void ask(std::atomic<bool>& request, bool value, const std::atomic<bool>& made)
{
    request = value;
    while (made != value)
        ::poll(nullptr, 0, 1);
}

} // namespace

// A pseudo-terminal, reachable by its own path and, in a device folder of its own, as ttyUSB7:
// COM 107 of a line whose device root is that folder.
struct FarEnd::Link {
    PseudoTerminal pty;
    std::string folder = std::filesystem::temp_directory_path() / "tervalink-devices.XXXXXX";
    std::atomic<bool> unplug_asked{false};
    std::atomic<bool> hung_up{false};
    std::atomic<bool> pause_asked{false};
    std::atomic<bool> paused{false};

    Link()
    {
        if (::mkdtemp(folder.data()) == nullptr ||
            ::symlink(pty.slave_path().c_str(), (folder + "/ttyUSB7").c_str()) != 0)
            throw std::runtime_error("cannot make a device folder for the far end");
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
void FarEnd::unplug() { ask(link_->unplug_asked, true, link_->hung_up); }

void FarEnd::stop_reading() { ask(link_->pause_asked, true, link_->paused); }

void FarEnd::resume_reading() { ask(link_->pause_asked, false, link_->paused); }

// An unplugged line has no master: poll waits out its time for it.
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
        pollfd readable{link_->pty.master_fd(), POLLIN, 0};
        if (::poll(&readable, 1, 10) <= 0)
            continue;
        // With no program holding the slave, the master reports a hang-up at once: wait for
        // the program to open it instead of spinning.
        if ((readable.revents & POLLIN) == 0) {
            ::poll(nullptr, 0, 5);
            continue;
        }
        const auto arrived = Clock::now();
        record(link_->pty.read_available(), arrived);
    }
}

} // namespace tervalink::test
