#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "device_naming.h"
#include "transmitter.h"
#include "update_texts.h"

namespace tervalink {

class NativePort;


// The line to the antenna unit: 57600 baud, 8 data bits, no parity, one stop bit, no flow
// control, opened exclusively. Opened and closed on one thread; while it is open, one other
// thread at a time may write frames (or, for the monitor, read).
class SerialLine : public FrameSink {
public:
    SerialLine();
    // A line whose port numbers name devices under device_root instead of /dev (tests).
    explicit SerialLine(std::string device_root);
    ~SerialLine() override;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    bool is_open() const;
    void set_port_number(std::int16_t port_number);
    void open(); // the device of the port number; throws Failure naming port and device
    // Opens a device path directly (tools and tests may name a path instead of "COM n");
    // failures name it by `label`, or by the path when no label is given.
    void open_path(const std::string& device_path, const std::string& label = {});
    void close();

    // The whole frame, handed to the device before returning; throws Failure naming port and
    // device when it cannot be, and saying so when the antenna unit received a cut frame.
    void write_frame(std::span<const std::uint8_t> frame) override;
    // Whether the last write failed because the adapter went away (unplugged, or the device gone),
    // rather than for a reason a new port would not mend.
    bool adapter_gone() const { return adapter_gone_; }
    // From the thread that stops a transmission: a write waiting for a stalled device ends at
    // once, and so does every later write, until the line is closed.
    void interrupt() override;
    // What has arrived, waiting up to 100 ms for it; 0 when nothing came. Throws Failure when the
    // line fails.
    std::size_t read_some(std::span<std::uint8_t> buffer);

private:
    std::unique_ptr<NativePort> port_;
    // A stop interrupts from another thread while a reconnecting line closes and opens its port
    // on the sending thread: the port is swapped and interrupted under this mutex.
    std::mutex port_mutex_;
    std::int16_t port_number_ = 0;
    std::string device_root_;
    std::string label_; // how failures name the open port: "COM 107 (/dev/ttyUSB7)"
    bool adapter_gone_ = false;
};

} // namespace tervalink
