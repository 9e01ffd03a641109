#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "sleep_guard.h"
#include "transmitter.h"
#include "update_image.h"
#include "update_preparation.h"
#include "update_texts.h"

namespace tervalink {

class SatelliteTable;

// What an update shows while it runs, in the order the updater calls it.
class UpdateView {
public:
    virtual ~UpdateView() = default;
    virtual void show_status(std::string_view text) = 0;
    virtual void show_progress_maximum(int maximum) = 0;
    virtual void show_progress(int value) = 0;
    // The user waits for the update: on from the start of the transmission until its end.
    virtual void show_waiting(bool waiting) = 0;
    // The lamp: it blinks while frames go out, and rests white when the update has ended.
    virtual void show_sending(bool sending) = 0;
    // A failed update ends the connection: the line closes if open, and UPDATE waits for the
    // next CONNECT.
    virtual void drop_connection() = 0;
    // The failure's description, last of the failed end; returns when the user has read it.
    virtual void show_failure(std::string_view description) = 0;
};


enum class UpdateOutcome {
    ignored,   // an update was already running
    refused,   // an entry test failed or a marker clashed: nothing written
    started,   // the transmission is on its way
    completed,
    failed,    // the error path ran
};

// What a press of UPDATE came to at once.
struct UpdateStart {
    UpdateOutcome outcome = UpdateOutcome::ignored;
    UpdateRefusal refusal; // when refused: what the caller shows
};

// Carries a report of the sending thread over to the thread the view belongs to, in order.
using ViewPoster = std::function<void(std::function<void()>)>;

// What UPDATE does: the tests and the build on the caller's thread, then the transmission on a
// sending thread of its own, whose reports reach the view through the poster. The updater keeps
// the update image for its whole life, as the window keeps its buffers. The machine is kept awake
// from the first frame until the end is shown (completed or error path) or the updater goes; both
// happen where the view lives.
class Updater : private TransmissionListener {
public:
    Updater(const SatelliteTable& table, FrameSink& sink, TransmissionClock& clock,
            SleepGuard& sleep_guard, UpdateView& view, ViewPoster post);
    ~Updater() override;
    Updater(const Updater&) = delete;
    Updater& operator=(const Updater&) = delete;

    // Runs one update for the choice selected now, up to the start of its transmission. A call
    // made while an update runs is ignored.
    UpdateStart run();
    // Ends the running transmission before its next frame; the update then takes its error path
    // with this description.
    void stop(const std::string& description);
    void wait_until_sent(); // until the sending thread has ended by itself
    bool running() const { return outcome_ == UpdateOutcome::started; }
    UpdateOutcome outcome() const { return outcome_; } // of the latest run, once its end is shown

private:
    UpdateStart start_transmission();
    UpdateStart fail(std::string_view description); // the error path at once, before any frame
    void progress(int value) override;
    void finished() override;
    void failed(const std::string& description) override;
    void end_transmission();
    void take_error_path(std::string_view description);

    const SatelliteTable& table_;
    UpdateImage image_;
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
