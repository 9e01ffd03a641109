#include "serial_line.h"

#include <QSerialPort>

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "device_naming.h"
#include "failure.h"
#include "serial_port_open.h"

namespace tervalink {

namespace {

// A frame is 15 or 24 bytes, about 4 ms on the line; a device that takes none of it in this time
// has stopped working.
constexpr int write_bound_ms = 100;

std::string write_failure_reason(int error)
{
    switch (error) {
    case EIO:
    case ENXIO:
    case ENODEV:
        return "the device has gone (unplugged?)";
    case ETIMEDOUT:
        return "the device took no data for " + std::to_string(write_bound_ms) +
               " ms; check the adapter and its cable";
    default:
        return std::strerror(error);
    }
}

// Hands every byte to the device, waiting for room when its queue is full; 0 or an errno value.
// The device's own handle is written directly: QSerialPort belongs to the thread that opened it,
// and the frames are written from the sending thread.
int write_all(int fd, std::span<const std::uint8_t> bytes)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(write_bound_ms);
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written > 0) {
            bytes = bytes.subspan(static_cast<std::size_t>(written));
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return errno;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd writable{fd, POLLOUT, 0};
        if (left.count() <= 0 || ::poll(&writable, 1, static_cast<int>(left.count())) == 0)
            return ETIMEDOUT;
    }
    return 0;
}

} // namespace

SerialLine::SerialLine() : SerialLine(std::string(default_device_root)) {}

SerialLine::SerialLine(std::string device_root) : device_root_(std::move(device_root)) {}

SerialLine::~SerialLine() = default;

bool SerialLine::is_open() const
{
    return port_ && port_->isOpen();
}

void SerialLine::set_port_number(std::int16_t port_number)
{
    port_number_ = port_number;
}

void SerialLine::open()
{
    const std::string device_path = device_path_for_port(port_number_, device_root_);
    open_device(device_path, port_label(port_number_, device_path));
}

void SerialLine::open_path(const std::string& device_path, const std::string& label)
{
    open_device(device_path, label.empty() ? device_path : label);
}

void SerialLine::open_device(const std::string& device_path, const std::string& label)
{
    close();
    // Nothing is read from the antenna unit, so the line is opened for writing only.
    port_ = open_serial_port(device_path, label, QIODevice::WriteOnly);
    label_ = label;
}

void SerialLine::close()
{
    port_.reset();
}

void SerialLine::write_frame(std::span<const std::uint8_t> frame)
{
    if (!is_open())
        throw Failure(std::string(closed_port_failure));
    const int error = write_all(static_cast<int>(port_->handle()), frame);
    if (error != 0)
        throw Failure("Cannot send to " + label_ + ": " + write_failure_reason(error));
}

} // namespace tervalink
