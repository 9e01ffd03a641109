#pragma once
// The line, the engine's listener and the window in one: the bytes written, the tick at which each
// write began, and every report in one log ("w<tick>" is the tick a write is reported at). Write
// `failing_write` fails; `during_write` runs inside every write.
#include <functional>
#include <string>
#include <vector>

#include "failure.h"
#include "update_run.h"
#include "worked_frames.h"

namespace tervalink::test {

using Log = std::vector<std::string>;
using Ticks = std::vector<long>;

inline long ticks_of(TransmissionClock::Time at) { return at / tick_period; }

class Rig : public FrameSink, public TransmissionListener, public UpdateView {
public:
    explicit Rig(TransmissionClock& clock) : clock_(clock) {}
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        if (++count == failing_write)
            throw Failure("Cannot write to COM 3 (/dev/ttyUSB2): the device has gone");
        ticks.push_back(ticks_of(clock_.now()));
        wire.insert(wire.end(), frame.begin(), frame.end());
        if (during_write)
            during_write();
    }
    void update_started(std::size_t index) override { log.push_back("start" + std::to_string(index)); }
    void frame_written(const TransmissionStep&, TransmissionClock::Time at) override { log.push_back("w" + std::to_string(ticks_of(at))); }
    void progress(int value) override { log.push_back("p" + std::to_string(value)); }
    void resumed(std::size_t index, std::size_t step) override { log.push_back("resume" + std::to_string(index) + "@" + std::to_string(step)); }
    void finished() override { log.push_back("finished"); }
    void failed(const std::string& description) override { log.push_back("failed: " + description); }
    void show_status(std::string_view text) override { log.push_back("status " + std::string(text)); }
    void show_progress_maximum(int maximum) override { log.push_back("max " + std::to_string(maximum)); }
    void show_progress(int value) override { log.push_back("value " + std::to_string(value) + "@" + std::to_string(ticks_of(clock_.now()))); }
    void show_waiting(bool waiting) override { log.push_back(waiting ? "busy on" : "busy off"); }
    void show_sending(bool sending) override { log.push_back(sending ? "lamp start" : "lamp stop"); }
    void drop_connection() override { log.push_back("disconnect"); }
    void show_failure(std::string_view description) override { log.push_back("box " + std::string(description)); }
    void interrupt() override { interrupted = true; }
    Bytes wire;
    Ticks ticks;
    Log log;
    int count = 0, failing_write = -1;
    bool interrupted = false;
    std::function<void()> during_write;

private:
    TransmissionClock& clock_;
};

} // namespace tervalink::test
