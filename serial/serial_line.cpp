#include "serial_line.h"

#include "failure.h"
#include "native_port.h"

namespace tervalink {

SerialLine::SerialLine() : SerialLine(std::string(default_device_root)) {}

SerialLine::SerialLine(std::string device_root) : device_root_(std::move(device_root)) {}

SerialLine::~SerialLine() = default;

bool SerialLine::is_open() const
{
    return port_ != nullptr;
}

void SerialLine::set_port_number(std::int16_t port_number)
{
    port_number_ = port_number;
}

void SerialLine::open()
{
    const PortAddress address = port_address(port_number_, device_root_);
    open_path(address.device_path, address.label);
}

void SerialLine::open_path(const std::string& device_path, const std::string& label)
{
    close();
    const std::string name = label.empty() ? device_path : label;
    std::unique_ptr<NativePort> opened;
    try {
        opened = std::make_unique<NativePort>(device_path);
    } catch (const Failure& failure) {
        throw Failure(cannot_open_failure(name, failure.what()));
    }
    const std::lock_guard lock(port_mutex_);
    port_ = std::move(opened);
    label_ = name;
    adapter_gone_ = false;
}

// The port leaves the mutex before it closes: its close may drain for up to the write bound, and
// an interrupt from the sending thread's stopper must never wait on that.
void SerialLine::close()
{
    std::unique_ptr<NativePort> closing;
    {
        const std::lock_guard lock(port_mutex_);
        closing = std::move(port_);
    }
}

void SerialLine::write_frame(std::span<const std::uint8_t> frame)
{
    if (!is_open())
        throw Failure(std::string(closed_port_failure));
    try {
        port_->write_all(frame);
    } catch (const CutFrame& cut) {
        adapter_gone_ = cut.what() == device_gone_reason;
        throw Failure(label_ + " took " + std::to_string(cut.taken) + " of the frame's " +
                      std::to_string(cut.size) + " bytes; the antenna unit received a cut frame: " +
                      cut.what());
    } catch (const Failure& failure) {
        adapter_gone_ = failure.what() == device_gone_reason;
        throw Failure(cannot_send_failure(label_, failure.what()));
    }
}

// The caller closes the line only after the sending thread has ended, or on that thread while it
// reconnects: the port is swapped under the mutex.
void SerialLine::interrupt()
{
    const std::lock_guard lock(port_mutex_);
    if (port_ != nullptr)
        port_->interrupt();
}

std::size_t SerialLine::read_some(std::span<std::uint8_t> buffer)
{
    if (!is_open())
        throw Failure("Reading failed: the port is closed");
    try {
        return port_->read_some(buffer);
    } catch (const Failure& failure) {
        throw Failure("Reading " + label_ + " failed: " + failure.what());
    }
}

} // namespace tervalink
