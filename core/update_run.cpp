#include "update_run.h"

#include <exception>
#include <string>

#include "failure.h"
#include "numbers.h"
#include "satellite_table.h"
#include "tp_validation.h"

namespace tervalink {
namespace {

using Ticks = std::array<bool, 3>;

std::string tp_list_entry(int row) { return "TP " + std::to_string(row + 1); }

bool auto_rates_pass(const SatelliteTable& table, UpdateView& view)
{
    for (int k = 0; k < auto_rate_count; ++k) {
        if (table.auto_rate(k).empty()) {
            view.show_message(auto_rate_messages[0]);
            return false;
        }
    }
    for (int k = 0; k < auto_rate_count; ++k) {
        const std::string& rate = table.auto_rate(k);
        const double value = numeric_value(rate);
        if (!is_numeric_text(rate) || value < 0 || value > 32000) {
            view.show_message(auto_rate_messages[1]);
            return false;
        }
    }
    return true;
}

// The ticks are taken here, once: a row ticked while the update runs is never sent.
bool slot_entries_pass(const SatelliteTable& table, int slot, Ticks& ticked, UpdateView& view)
{
    if (table.position(slot).empty()) {
        view.show_message(tp_error_messages[1]);
        return false;
    }
    int ticked_count = 0;
    for (int r = 0; r < rows_per_slot; ++r) {
        const int i = row_index(slot, r);
        ticked[static_cast<std::size_t>(r)] = table.ticked(i);
        if (!table.ticked(i))
            continue;
        ++ticked_count;
        const int code = check_tp_fields(table, i);
        if (code != 0) {
            view.show_message(tp_error_messages[static_cast<std::size_t>(code)]);
            return false;
        }
    }
    if (ticked_count == 0) {
        view.show_message(select_tps_message);
        return false;
    }
    return true;
}

bool entries_pass(const SatelliteTable& table, int choice, Ticks& ticked, UpdateView& view)
{
    if (choice == no_choice) {
        view.show_message(select_satellite_message);
        return false;
    }
    if (choice == auto_symbol_choice)
        return auto_rates_pass(table, view);
    return slot_entries_pass(table, choice, ticked, view);
}

std::string clash_message(int choice, const UpdateImage& image, const Ticks& ticked)
{
    if (choice == auto_symbol_choice) {
        const bool clash = autosym_packet_clashes(image.autosym_packet) ||
                           autosym_packet_clashes(image.tagged_autosym_packet);
        return clash ? std::string(symbolrate_clash_message) : std::string();
    }
    std::string list;
    for (int r = 0; r < rows_per_slot; ++r) {
        if (ticked[static_cast<std::size_t>(r)] &&
            tp_packet_clashes(image.tp_packets[static_cast<std::size_t>(r)]))
            list += (list.empty() ? "" : ", ") + tp_list_entry(r);
    }
    return list.empty() ? std::string() : "Change the " + list + " informations (DATA FORMAT ERROR)";
}

} // namespace

PreparedUpdate prepare_update(const SatelliteTable& table, UpdateImage& image, UpdateView& view)
{
    const int choice = table.selected_choice();
    Ticks ticked{};
    if (!entries_pass(table, choice, ticked, view))
        return {UpdateOutcome::refused, {}};
    make_update_packets(table, choice, image);
    const std::string clash = clash_message(choice, image, ticked);
    if (!clash.empty()) {
        view.set_status(clash);
        view.show_message(clash);
        return {UpdateOutcome::clash, {}};
    }
    return {UpdateOutcome::started, choice == auto_symbol_choice
                                        ? auto_symbol_transmission(image)
                                        : slot_transmission(image, ticked)};
}

Updater::Updater(const SatelliteTable& table, UpdateImage& image, FrameSink& sink,
                 TransmissionClock& clock, SleepGuard& sleep_guard, UpdateView& view,
                 ViewPoster post)
    : table_(table), image_(image), sink_(sink), clock_(clock), sleep_guard_(sleep_guard),
      view_(view), post_(std::move(post))
{
}

// The sending thread must end before the sink, clock and view it uses go away.
Updater::~Updater() { sender_.stop("The update was stopped because the program is ending"); }

UpdateOutcome Updater::run()
{
    // One line, one transmission: a second one would interleave its frames with the first's.
    if (running())
        return UpdateOutcome::ignored;
    try {
        return start_transmission();
    } catch (const std::exception& failure) {
        take_error_path(failure.what());
        return UpdateOutcome::failed;
    }
}

UpdateOutcome Updater::start_transmission()
{
    PreparedUpdate update = prepare_update(table_, image_, view_);
    if (update.outcome != UpdateOutcome::started)
        return outcome_ = update.outcome;
    view_.set_busy(true);
    view_.start_lamp();
    view_.set_status(updating_status);
    view_.set_progress_maximum(update.transmission.progress_maximum);
    view_.set_progress_value(1);
    // Set before the thread starts: its end may be reported before start() returns.
    outcome_ = UpdateOutcome::started;
    awake_ = sleep_guard_.hold_awake();
    sender_.start({std::move(update.transmission)}, sink_, clock_, *this);
    return UpdateOutcome::started;
}

void Updater::stop(const std::string& description) { sender_.stop(description); }

void Updater::wait_until_sent() { sender_.join(); }

void Updater::progress(int value)
{
    post_([this, value] { view_.set_progress_value(value); });
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
    view_.stop_lamp();
    view_.set_status(completed_status);
    view_.set_busy(false);
    outcome_ = UpdateOutcome::completed;
}

void Updater::take_error_path(std::string_view description)
{
    awake_.reset();
    view_.stop_lamp();
    view_.disconnect_after_error();
    view_.set_status(error_status);
    view_.set_busy(false);
    outcome_ = UpdateOutcome::failed;
    view_.show_message(description);
}

} // namespace tervalink
