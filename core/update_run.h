#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "frames.h"
#include "sleep_guard.h"
#include "transmission.h"
#include "transmitter.h"

namespace tervalink {

class SatelliteTable;

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
    started,   // the transmission is on its way
    completed,
    failed,    // the error path ran
};

// The entry tests, the build and the clash test of the choice selected now, with the messages
// they show. The transmission is filled when the outcome is `started`. Throws Failure when a
// value does not fit its frame.
struct PreparedUpdate {
    UpdateOutcome outcome = UpdateOutcome::refused;
    Transmission transmission;
};
PreparedUpdate prepare_update(const SatelliteTable& table, UpdateImage& image, UpdateView& view);

// Carries a report of the sending thread over to the thread the view belongs to, in order.
using ViewPoster = std::function<void(std::function<void()>)>;

// What UPDATE does: the tests and the build on the caller's thread, then the transmission on a
// sending thread of its own, whose reports reach the view through the poster. The image outlives
// each run, as the window's buffers do. The machine is kept awake from the first frame until the
// end is shown (completed or error path) or the updater goes; both happen where the view lives.
class Updater : private TransmissionListener {
public:
    Updater(const SatelliteTable& table, UpdateImage& image, FrameSink& sink,
            TransmissionClock& clock, SleepGuard& sleep_guard, UpdateView& view, ViewPoster post);
    ~Updater() override;
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // Runs one update for the choice selected now, up to the start of its transmission. A call
    // made while an update runs is ignored.
    UpdateOutcome run();
    // Ends the running transmission before its next frame; the update then takes its error path
    // with this description.
    void stop(const std::string& description);
    void wait_until_sent(); // until the sending thread has ended by itself
    bool running() const { return outcome_ == UpdateOutcome::started; }
    UpdateOutcome outcome() const { return outcome_; } // of the latest run, once its end is shown

private:
    UpdateOutcome start_transmission();
    void progress(int value) override;
    void finished() override;
    void failed(const std::string& description) override;
    void end_transmission();
    void take_error_path(std::string_view description);

    const SatelliteTable& table_;
    UpdateImage& image_;
    FrameSink& sink_;
    TransmissionClock& clock_;
    SleepGuard& sleep_guard_;
    UpdateView& view_;
    ViewPoster post_;
    std::unique_ptr<AwakeHold> awake_; // declared before the sender, so it ends after its thread
    Sender sender_;
    std::atomic<UpdateOutcome> outcome_ = UpdateOutcome::ignored; // set where the view lives
};

} // namespace tervalink
