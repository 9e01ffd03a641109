#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "satellite_table.h"
#include "update_run.h"

namespace tervalink::test {

// Remembers what an update showed.
class RecordingView : public SilentUpdateView {
public:
    void show_message(std::string_view text) override { messages.emplace_back(text); }
    void set_status(std::string_view text) override { status = text; }
    void disconnect_after_error() override { ++disconnects; }

    std::vector<std::string> messages;
    std::string status;
    int disconnects = 0;
};

// Passes frames on and notes when each write began and how many were attempted.
class TimedSink : public FrameSink {
public:
    explicit TimedSink(FrameSink& line) : line_(line) {}
    void write_frame(std::span<const std::uint8_t> frame) override
    {
        write_times.push_back(std::chrono::steady_clock::now());
        line_.write_frame(frame);
    }

    std::vector<std::chrono::steady_clock::time_point> write_times;

private:
    FrameSink& line_;
};

// A table with AUTO SYMBOL selected and ten rates whose frames clash with no marker.
SatelliteTable auto_symbol_table();

// The 240 bytes an AUTO SYMBOL update of that table puts on the line, in order.
std::vector<std::uint8_t> expected_auto_symbol_bytes();

// The pause after each of the ten AUTO SYMBOL frames, in ticks.
std::vector<int> auto_symbol_pause_ticks();

} // namespace tervalink::test
