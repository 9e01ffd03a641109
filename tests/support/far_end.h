#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "pseudo_terminal.h"

namespace tervalink::test {

// The antenna unit's end of the line, with a clock: a thread reads the pseudo-terminal as bytes
// arrive and notes when each frame's first byte came, whatever the program's threads are doing.
class FarEnd {
public:
    using Clock = std::chrono::steady_clock;

    FarEnd();
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    const std::string& slave_path() const { return pty_.slave_path(); }
    std::vector<std::uint8_t> bytes() const;
    // When the first byte of each frame arrived (frames of `frame_size` bytes each).
    std::vector<Clock::time_point> frame_arrivals(std::size_t frame_size) const;
    // Blocks the calling thread, pumping nothing, until `count` bytes have arrived.
    bool wait_for_bytes(std::size_t count, std::chrono::seconds bound) const;

private:
    void read_until_stopped();

    PseudoTerminal pty_;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Clock::time_point> byte_times_;
    std::atomic<bool> stopping_{false};
    std::thread reader_;
};

} // namespace tervalink::test
