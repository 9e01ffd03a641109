#pragma once

#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "line_reconnection.h"
#include "send_batch.h"
#include "serial_line.h"
#include "transmitter.h"

namespace tervalink::frames_tool {

// The frames log of a send run: "ms,port,kind,bytes", one line per frame, flushed at once.
class FrameLog {
public:
    explicit FrameLog(std::FILE* file) : file_(file) {}
    void write(double ms, const std::string& port, const TransmissionStep& step);
    // A line that lost its adapter and got it back: "ms,port,adapter gone," and
    // "ms,port,adapter back,/dev/ttyUSB1".
    void note(double ms, const std::string& port, const char* event, const std::string& device);

private:
    std::mutex mutex_;
    std::FILE* file_;
};

// Where one line's transmission stands, as the sending thread reports it.
struct LineState {
    std::size_t update = 0;     // index of the running update
    std::size_t step = 0;       // steps written in it
    std::int64_t ticks_done = 0; // of the whole batch, when the last frame was written
    std::size_t frames = 0;
    std::size_t reconnects = 0;
    bool waiting = false; // for its adapter to come back
    bool ended = false;
    std::optional<std::string> failure;
};

// One port of a send run: its line, clock and sender, and what it has reported.
class SendLine : public TransmissionListener, public ReconnectionReports {
public:
    SendLine(std::string port_text, const Batch& batch, FrameLog* log);
    // --reconnect: a line whose adapter goes away waits up to `wait` for it.
    void reconnect_within(std::chrono::seconds wait, std::unique_ptr<DeviceInventory> inventory,
                          std::unique_ptr<AdapterArrivals> arrivals);
    // Once open: which adapter the line is on, so that it can be found again.
    void identify_adapter(const std::string& device, bool given_as_path);

    const std::string& port_text() const { return port_text_; }
    SerialLine& serial() { return serial_; }
    const std::string& label() const { return label_; }
    void set_label(std::string label) { label_ = std::move(label); }
    void start(std::unique_ptr<TransmissionClock> clock, SendingPriority priority);
    void stop(const std::string& description) { sender_.stop(description); }
    void join() { sender_.join(); }

    LineState state() const;
    // Lines for repetitions completed since the last call: "COM 107: update 2 of 14, ...".
    std::deque<std::string> take_completed();
    // The line that says the adapter went away, once for each time it did.
    std::deque<std::string> take_notices();

private:
    void update_started(std::size_t index) override;
    void frame_written(const TransmissionStep& step, TransmissionClock::Time at) override;
    void progress(int value) override;
    void finished() override;
    void failed(const std::string& description) override;
    void resumed(std::size_t index, std::size_t step) override;
    void adapter_gone(std::chrono::seconds wait) override;
    void adapter_back(const std::string& device) override;
    double ms_now() const;

    std::string port_text_;
    std::string label_;
    const Batch& batch_;
    FrameLog* log_;
    SerialLine serial_;
    std::unique_ptr<TransmissionClock> clock_;
    TransmissionClock::Time origin_{};
    Sender sender_;
    mutable std::mutex mutex_;
    LineState state_;
    std::int16_t pause_before_ = 0; // the pause after the last frame, still running
    std::deque<std::string> completed_;
    std::deque<std::string> notices_;
    std::unique_ptr<LineReconnection> reconnection_;
    TransmissionClock::Time gone_at_{};
    std::string back_on_; // the device of the latest return, until the update resumes
};

// "update 2 of 14, ASTRA 3 TP2, repetition 7 of 15" for the step a line has reached.
std::string position_text(const Batch& batch, const LineState& state);

} // namespace tervalink::frames_tool
