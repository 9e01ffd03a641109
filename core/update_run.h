#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "frames.h"

namespace tervalink {

class SatelliteTable;

// Where frames go: the serial line in the program, a recorder in tests and tools.
class FrameSink {
public:
    virtual ~FrameSink() = default;
    // Writes one whole frame; throws Failure with a description when it cannot.
    virtual void write_frame(std::span<const std::uint8_t> frame) = 0;
};

// The pacing clock: returns when n ticks of 10 ms have passed; throws Failure when it cannot wait.
class Pacer {
public:
    virtual ~Pacer() = default;
    virtual void wait_ticks(std::int16_t ticks) = 0;
};

// What an update shows. Message boxes are modal: show_message returns when the user closed it.
class UpdateView {
public:
    virtual ~UpdateView() = default;
    virtual void show_message(std::string_view text) = 0;
    virtual void set_status(std::string_view text) = 0;
    virtual void set_progress_maximum(int maximum) = 0;
    virtual void set_progress_value(int value) = 0;
    virtual void set_busy(bool busy) = 0;
    virtual void start_lamp() = 0;
    virtual void stop_lamp() = 0; // the lamp stops blinking and rests white
    // The error path's connection steps, in this order: close the port if open, caption
    // "CONNECT", UPDATE disabled.
    virtual void disconnect_after_error() = 0;
};

// Shows nothing: the base of views that want only part of what an update shows (tools, tests).
class SilentUpdateView : public UpdateView {
public:
    void show_message(std::string_view) override {}
    void set_status(std::string_view) override {}
    void set_progress_maximum(int) override {}
    void set_progress_value(int) override {}
    void set_busy(bool) override {}
    void start_lamp() override {}
    void stop_lamp() override {}
    void disconnect_after_error() override {}
};

inline constexpr std::int16_t repeat_count = 15;

inline constexpr std::string_view select_satellite_message = "Select a satellite to update";
inline constexpr std::string_view select_tps_message = "Select TPs to update";
inline constexpr std::string_view updating_status = "Updating ...   Please wait a few minutes.";
inline constexpr std::string_view completed_status = "Update has been completed.";
inline constexpr std::string_view error_status = "Error occurred during updating. Please try again.";
inline constexpr std::string_view symbolrate_clash_message =
    "Change the symbolrate informations (DATA FORMAT ERROR)";

enum class UpdateOutcome {
    ignored,   // an update was already running
    refused,   // an entry test failed: nothing written
    clash,     // a marker clash: nothing written
    completed,
    failed,    // the error path ran
};

// What UPDATE does. The image outlives each run, as the window's buffers do.
class Updater {
public:
    Updater(const SatelliteTable& table, UpdateImage& image, FrameSink& sink, Pacer& pacer,
            UpdateView& view);

    // Runs one update for the choice selected now. A call made while an update runs (from an
    // event pumped during its waits) is ignored.
    UpdateOutcome run();
    bool running() const { return running_; }

private:
    UpdateOutcome run_checked();
    bool entries_pass(int choice);
    bool auto_rates_pass();
    bool slot_entries_pass(int slot);
    bool clash_free(int choice);
    void transmit_slot();
    void transmit_auto_symbol();
    void take_error_path(std::string_view description);

    const SatelliteTable& table_;
    UpdateImage& image_;
    FrameSink& sink_;
    Pacer& pacer_;
    UpdateView& view_;
    bool running_ = false;
    std::array<bool, 3> ticked_{}; // the ticks as they stood when the image was built
};

} // namespace tervalink
