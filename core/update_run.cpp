#include "update_run.h"

#include <exception>
#include <string>

namespace tervalink {

Updater::Updater(const SatelliteTable& table, FrameSink& sink, TransmissionClock& clock,
                 SleepGuard& sleep_guard, UpdateView& view, ViewPoster post)
    : table_(table), sink_(sink), clock_(clock), sleep_guard_(sleep_guard), view_(view),
      post_(std::move(post))
{
}

// The sending thread must end before the sink, clock and view it uses go away.
Updater::~Updater() { sender_.stop("The update was stopped because the program is ending"); }

UpdateStart Updater::run()
{
    // One line, one transmission: a second one would interleave its frames with the first's.
    if (running())
        return {UpdateOutcome::ignored, {}};
    // The system may refuse the sending thread; the update then fails as a value that does not
    // fit its frame does.
    try {
        return start_transmission();
    } catch (const std::exception& failure) {
        return fail(failure.what());
    }
}

UpdateStart Updater::start_transmission()
{
    PreparedUpdate update = prepare_update(table_, image_);
    if (auto* refusal = std::get_if<UpdateRefusal>(&update)) {
        outcome_ = UpdateOutcome::refused;
        return {UpdateOutcome::refused, std::move(*refusal)};
    }
    if (const auto* failed = std::get_if<Failed>(&update))
        return fail(failed->description);
    Transmission& transmission = std::get<Transmission>(update);
    view_.show_waiting(true);
    view_.show_sending(true);
    view_.show_status(updating_status);
    view_.show_progress_maximum(transmission.progress_maximum);
    view_.show_progress(1);
    // Set before the thread starts: its end may be reported before start() returns.
    outcome_ = UpdateOutcome::started;
    awake_ = sleep_guard_.hold_awake();
    sender_.start({std::move(transmission)}, sink_, clock_, *this);
    return {UpdateOutcome::started, {}};
}

void Updater::stop(const std::string& description) { sender_.stop(description); }

void Updater::wait_until_sent() { sender_.join(); }

void Updater::progress(int value)
{
    post_([this, value] { view_.show_progress(value); });
}

void Updater::finished()
{
    post_([this] { end_transmission(); });
}

void Updater::failed(const std::string& description)
{
    post_([this, description] {
        sender_.join();
        take_error_path(description);
    });
}

void Updater::end_transmission()
{
    sender_.join();
    awake_.reset();
    view_.show_sending(false);
    view_.show_status(completed_status);
    view_.show_waiting(false);
    outcome_ = UpdateOutcome::completed;
}

UpdateStart Updater::fail(std::string_view description)
{
    take_error_path(description);
    return {UpdateOutcome::failed, {}};
}

void Updater::take_error_path(std::string_view description)
{
    awake_.reset();
    view_.show_sending(false);
    view_.drop_connection();
    view_.show_status(error_status);
    view_.show_waiting(false);
    outcome_ = UpdateOutcome::failed;
    view_.show_failure(description);
}

} // namespace tervalink
