#include "native_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "device_permission_linux.h"
#include "port_closing.h"

namespace tervalink {

struct NativePort::Handle {
    int fd = -1;
    // Readable once interrupt() was called: every wait for the device watches it too.
    int interrupted = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    ~Handle()
    {
        if (fd >= 0)
            ::close(fd);
        if (interrupted >= 0)
            ::close(interrupted);
    }
};

namespace {

std::string open_failure_reason(int error, const std::string& device_path)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return "no such device";
    case EACCES:
    case EPERM:
        return permission_advice(look_up_device_permission(device_path));
    case EBUSY:
    case EWOULDBLOCK:
        return std::string(in_use_reason);
    default:
        return std::strerror(error);
    }
}

// TIOCEXCL keeps every other opener out (root excepted); the flock also tells a second
// Tervalink running as root, under any name of the device, that the port is taken.
int take_exclusively(int fd)
{
    if (::ioctl(fd, TIOCEXCL) != 0 && errno != ENOTTY)
        return errno;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return errno;
    return 0;
}

int apply_line_settings(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return errno;
    ::cfmakeraw(&settings);
    settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    settings.c_cflag |= CS8 | CLOCAL | CREAD;
    settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    if (::cfsetispeed(&settings, B57600) != 0 || ::cfsetospeed(&settings, B57600) != 0 ||
        ::tcsetattr(fd, TCSANOW, &settings) != 0)
        return errno;
    return 0;
}

std::string line_failure_reason(int error)
{
    if (error == EIO || error == ENXIO || error == ENODEV)
        return std::string(device_gone_reason);
    return std::strerror(error);
}

// The tty's output queue. Once it is flushed, close() finds nothing to wait for but what the
// UART's own FIFO holds, which its driver waits out within a few character times. The descriptor
// being non-blocking does not shorten that wait: the tty's close ignores it.
class TtyOutputQueue : public OutputQueue {
public:
    explicit TtyOutputQueue(int fd) : fd_(fd) {}
    std::optional<std::size_t> unsent() override
    {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued < 0)
            return std::nullopt;
        return static_cast<std::size_t>(queued);
    }
    void discard() override { ::tcflush(fd_, TCOFLUSH); }

private:
    int fd_;
};

[[noreturn]] void fail_write(std::size_t taken, std::size_t size, const std::string& reason)
{
    if (taken > 0)
        throw CutFrame(taken, size, reason);
    throw Failure(reason);
}

} // namespace

NativePort::NativePort(const std::string& device_path) : handle_(std::make_unique<Handle>())
{
    handle_->fd = ::open(device_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (handle_->fd < 0)
        throw Failure(open_failure_reason(errno, device_path));
    if (const int error = take_exclusively(handle_->fd); error != 0)
        throw Failure(open_failure_reason(error, device_path));
    if (const int error = apply_line_settings(handle_->fd); error != 0)
        throw Failure("the line cannot be set to 57600 baud, 8 data bits, no parity, one stop "
                      "bit: " + std::string(std::strerror(error)));
}

// tcdrain is not used: it waits for the queue without any bound.
NativePort::~NativePort()
{
    TtyOutputQueue queue(handle_->fd);
    MonotonicClock clock;
    drain_or_discard(queue, clock, taking_);
}

// The descriptor is non-blocking: a full queue is waited out with poll, within the bound.
void NativePort::hand_over(std::span<const std::uint8_t> bytes)
{
    const int fd = handle_->fd;
    const std::size_t size = bytes.size();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(write_bound_ms);
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(written));
            continue;
        }
        const std::size_t taken = size - bytes.size();
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            fail_write(taken, size, line_failure_reason(errno));
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd watched[] = {{fd, POLLOUT, 0}, {handle_->interrupted, POLLIN, 0}};
        const int ready = left.count() > 0 ? ::poll(watched, 2, static_cast<int>(left.count())) : 0;
        if ((watched[1].revents & POLLIN) != 0)
            throw Failure(std::string(interrupted_reason));
        if (ready == 0)
            fail_write(taken, size, stalled_reason(taken));
    }
}

void NativePort::interrupt()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t noted = ::write(handle_->interrupted, &one, sizeof one);
}

std::size_t NativePort::read_some(std::span<std::uint8_t> buffer)
{
    pollfd watched[] = {{handle_->fd, POLLIN, 0}, {handle_->interrupted, POLLIN, 0}};
    const pollfd& readable = watched[0];
    const int ready = ::poll(watched, 2, read_wait_ms);
    if (ready < 0 && errno != EINTR)
        throw Failure(line_failure_reason(errno));
    if ((watched[1].revents & POLLIN) != 0)
        throw Failure(std::string(interrupted_reason));
    if (ready <= 0)
        return 0;
    const ssize_t count = ::read(handle_->fd, buffer.data(), buffer.size());
    if (count > 0)
        return static_cast<std::size_t>(count);
    // Readable with nothing to read, or a hang-up: the device is no longer there.
    if (count == 0 || (readable.revents & (POLLHUP | POLLERR)) != 0)
        throw Failure(std::string(device_gone_reason));
    if (errno == EAGAIN || errno == EINTR)
        return 0;
    throw Failure(line_failure_reason(errno));
}

} // namespace tervalink
