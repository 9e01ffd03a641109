#include "serial_line.h"

#include <QSerialPort>

#include "device_naming.h"
#include "failure.h"
#include "serial_port_open.h"

namespace tervalink {

namespace {

// A frame is 15 or 24 bytes, about 4 ms on the line; a device that takes none of it in this time
// has stopped working.
constexpr int write_bound_ms = 100;

bool line_failed(QSerialPort::SerialPortError error)
{
    // Modem-control lines a device lacks (a pseudo-terminal has none) do not stop the data.
    return error != QSerialPort::NoError && error != QSerialPort::UnsupportedOperationError;
}

std::string write_failure_reason(const QSerialPort& port)
{
    switch (port.error()) {
    case QSerialPort::ResourceError:
        return "the device has gone (unplugged?)";
    case QSerialPort::NoError:
    case QSerialPort::UnsupportedOperationError:
        return "the device took no data for " + std::to_string(write_bound_ms) +
               " ms; check the adapter and its cable";
    default:
        return port.errorString().toStdString();
    }
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

void SerialLine::open_path(const std::string& device_path)
{
    open_device(device_path, device_path);
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
        throw Failure("Cannot send to the antenna unit: the port is closed; press CONNECT and "
                      "start the update again");
    const auto size = static_cast<qint64>(frame.size());
    port_->clearError();
    // write() only queues the bytes; flush() hands them to the device now rather than whenever
    // the event loop next runs.
    if (port_->write(reinterpret_cast<const char*>(frame.data()), size) != size)
        fail_write(write_failure_reason(*port_));
    port_->flush();
    if (!line_failed(port_->error()) && port_->bytesToWrite() > 0)
        port_->waitForBytesWritten(write_bound_ms);
    if (line_failed(port_->error()) || port_->bytesToWrite() > 0)
        fail_write(write_failure_reason(*port_));
}

void SerialLine::fail_write(const std::string& reason)
{
    const std::string description = "Cannot send to " + label_ + ": " + reason;
    // Bytes left queued on a dead device would make Qt retry them on every pass of the event
    // loop, so the port is given up at once.
    close();
    throw Failure(description);
}

} // namespace tervalink
