#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "transmission.h"
#include "transmission_clock.h"

namespace tervalink {

// Where frames go: the serial line in the program, a recorder in tests and tools.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Writes one whole frame; throws Failure with a description when it cannot.
    virtual void write_frame(std::span<const std::uint8_t> frame) = 0;
    // Called from another thread when a transmission is stopped: a write that waits for a stalled
    // device ends at once, and so does every later one, until the sink is closed. A stop never
    // waits for the device.
    virtual void interrupt() {}
};

// What a transmission reports, from the thread that sends it.
class TransmissionListener {
public:
    virtual ~TransmissionListener() = default;
    virtual void update_started(std::size_t /*index*/) {}
    virtual void frame_written(const TransmissionStep& /*step*/, TransmissionClock::Time /*at*/) {}
    virtual void progress(int /*value*/) {}
    // The line came back after a failed write: update `index` goes on from `step`, the start of
    // the repetition the failure cut.
    virtual void resumed(std::size_t /*index*/, std::size_t /*step*/) {}
    virtual void finished() = 0;
    virtual void failed(const std::string& description) = 0;
};

// What brings a line back after a write failed, so that the update can go on where it was cut.
class LineRecovery {
public:
    virtual ~LineRecovery() = default;
    // On the sending thread, after a write failed with `failure`: returns once the line is open
    // again (true), or at once when this failure is not one it mends (false). Throws Failure with
    // what the line ends with when it cannot be brought back, or when `stop` is requested.
    virtual bool recover(const std::string& failure, StopRequest& stop) = 0;
    // From the thread that stops the transmission: a recovery that waits ends at once.
    virtual void interrupt() {}
};

// Writes the frames of one line and keeps its pauses: a pause of n ticks ends n x 10 ms after
// the write before it began (when its bytes start to leave), never earlier. Deadlines are
// absolute, so a stall that ends before one costs nothing, and one that ends after it delays
// that frame only.
class Transmitter {
public:
    Transmitter(FrameSink& sink, TransmissionClock& clock, StopRequest& stop,
                TransmissionListener& listener);

    // Sends every step from `first` on, each pause included. Throws Failure when a write fails,
    // or with the stop's description when a stop is requested; no frame is written after that.
    void send(const Transmission& transmission, std::size_t first = 0);
    // The step whose write or pause the last send ended in.
    std::size_t reached() const { return reached_; }

private:
    void wait_ticks(std::int16_t ticks, TransmissionClock::Time from);

    FrameSink& sink_;
    TransmissionClock& clock_;
    StopRequest& stop_;
    TransmissionListener& listener_;
    std::size_t reached_ = 0;
};

enum class SendingPriority { normal, raised };

// One line's transmissions on a thread of their own, so that nothing the window or the rest of
// the program does can hold up a frame.
class Sender {
public:
    Sender() = default;
    ~Sender();
    Sender(const Sender&) = delete;
    Sender& operator=(const Sender&) = delete;

    // Sends the updates one after the other, then reports finished() or failed() and ends.
    // When a write fails and `recovery` brings the line back, the update resumes at the start of
    // the cut repetition.
    void start(std::vector<Transmission> updates, FrameSink& sink, TransmissionClock& clock,
               TransmissionListener& listener, SendingPriority priority = SendingPriority::raised,
               LineRecovery* recovery = nullptr);
    // No frame is written once this returns, and a write in progress is interrupted; the
    // listener hears failed(description).
    void stop(const std::string& description);
    void join(); // waits for the thread to end by itself
    bool started() const { return thread_.joinable(); }

private:
    StopRequest stop_;
    FrameSink* sink_ = nullptr; // of the latest start
    LineRecovery* recovery_ = nullptr;
    std::thread thread_;
};

} // namespace tervalink
