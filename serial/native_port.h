#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "failure.h"
#include "update_texts.h"

namespace tervalink {

// Reasons every system gives in the same words (device_gone_reason among them, in update_texts.h).
inline constexpr std::string_view in_use_reason = "it is in use by another program";

// A frame is 15 or 24 bytes, about 4 ms on the line; a device that takes none of it in this time
// has stopped working.
inline constexpr int write_bound_ms = 100;

// Why a write ended when the device stopped taking bytes: none of the frame, or not the rest of it.
inline std::string stalled_reason(std::size_t taken)
{
    return std::string(taken == 0 ? "the device took no data" : "the device took no more") +
           " for " + std::to_string(write_bound_ms) + " ms; check the adapter and its cable";
}

// The device took the first bytes of a frame and then failed: the antenna unit received a cut
// frame. The line names the port.
class CutFrame : public Failure {
public:
    CutFrame(std::size_t taken_bytes, std::size_t frame_size, const std::string& reason)
        : Failure(reason), taken(taken_bytes), size(frame_size)
    {
    }
    std::size_t taken;
    std::size_t size;
};

// Why a write ended when a stop interrupted it; the stop's own description is what the user sees.
inline constexpr std::string_view interrupted_reason = "the write was interrupted by a stop";
// How long a read waits for the first byte: short enough that Ctrl-C ends the monitor at once,
// long enough that an idle line costs nothing.
inline constexpr int read_wait_ms = 100;

// A serial device open on the system's own API, for this program alone, at the antenna unit's
// line settings: 57600 baud, 8 data bits, no parity, one stop bit, no flow control, raw bytes.
// Failures throw tervalink::Failure with the reason only; the line puts the port's name in front.
class NativePort {
public:
    explicit NativePort(const std::string& device_path); // throws Failure(reason)
    // Closes the device after drain_or_discard: within write_bound_ms, whatever the device does.
    // No write or read may run meanwhile.
    ~NativePort();
    NativePort(const NativePort&) = delete;
    NativePort& operator=(const NativePort&) = delete;

    // Hands every byte to the device, waiting at most write_bound_ms for room. Throws CutFrame
    // when the device took only a part.
    void write_all(std::span<const std::uint8_t> bytes);
    // From another thread: a write that waits for the device ends at once, and so does every later
    // write or read.
    void interrupt();
    // What has arrived, waiting up to read_wait_ms for it; 0 when nothing came.
    std::size_t read_some(std::span<std::uint8_t> buffer);

private:
    void hand_over(std::span<const std::uint8_t> bytes); // write_all on the system's own API

    struct Handle;
    std::unique_ptr<Handle> handle_;
    // Once a write has failed, the device is not trusted to send what it still holds.
    bool taking_ = true;
};

} // namespace tervalink
