#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tervalink::test {

// The antenna unit's end of one line, with a clock: a thread notes the bytes as they arrive and
// when each came, whatever the program's threads are doing. On Linux it holds a pseudo-terminal;
// under Wine it is one of the COM ports that wine_far_ends maps onto pseudo-terminals and reads
// on the Linux side.
class FarEnd {
public:
    using Clock = std::chrono::steady_clock;

    FarEnd();
    ~FarEnd();
    FarEnd(const FarEnd&) = delete;
    FarEnd& operator=(const FarEnd&) = delete;

    // What the program opens: the pseudo-terminal's slave, or "\\.\COMn".
    const std::string& device_path() const { return device_path_; }
    // The "COM n" that opens the same device from a line made with device_root(), and how the
    // line names it in failures.
    std::int16_t port_number() const { return port_number_; }
    const std::string& device_root() const { return device_root_; }
    std::string port_text() const { return "COM " + std::to_string(port_number_); }
    std::string port_label() const;
    // How a line made with device_root() fails to open "COM 251", behind which nothing stands.
    std::string unmapped_port_failure() const;

    std::vector<std::uint8_t> bytes() const;
    // When the first byte of each frame arrived (frames of `frame_size` bytes each).
    std::vector<Clock::time_point> frame_arrivals(std::size_t frame_size) const;
    // Blocks the calling thread, pumping nothing, until what has arrived passes `test`, or until
    // `count` bytes have arrived.
    bool wait_until(const std::function<bool(const std::vector<std::uint8_t>&)>& test,
                    std::chrono::seconds bound) const;
    bool wait_for_bytes(std::size_t count, std::chrono::seconds bound) const;
    // The far end hangs up, as a pulled adapter does: the program's next write fails.
    void unplug();
    // The far end stops taking bytes, as a hung antenna unit or adapter does: what the program
    // writes from now on waits in the line's buffer until it is full.
    void stop_reading();
    void resume_reading();

private:
    struct Link; // the system's side of the line
    void read_until_stopped();
    void record(const std::vector<std::uint8_t>& fresh, Clock::time_point arrived);

    std::unique_ptr<Link> link_;
    std::string device_path_;
    std::string device_root_;
    std::int16_t port_number_ = 0;
    mutable std::mutex mutex_;
    mutable std::condition_variable arrived_;
    std::vector<std::uint8_t> bytes_;
    std::vector<Clock::time_point> byte_times_;
    std::atomic<bool> stopping_{false};
    std::thread reader_;
};

} // namespace tervalink::test
