#include "update_run.h"

#include <exception>
#include <string>

#include "failure.h"
#include "numbers.h"
#include "satellite_table.h"
#include "tp_validation.h"

namespace tervalink {
namespace {

constexpr std::int16_t tp_repeat_gap = 30;
constexpr std::int16_t autosym_gap = 150;

// Clears a flag when the scope ends, also when a failure passes through.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};

std::string tp_list_entry(int row) { return "TP " + std::to_string(row + 1); }

} // namespace

Updater::Updater(const SatelliteTable& table, UpdateImage& image, FrameSink& sink, Pacer& pacer,
                 UpdateView& view)
    : table_(table), image_(image), sink_(sink), pacer_(pacer), view_(view)
{
}

UpdateOutcome Updater::run()
{
    // A press pumped during a wait would restart the shared pacing clock under the running update.
    if (running_)
        return UpdateOutcome::ignored;
    RunningFlag flag(running_);
    try {
        return run_checked();
    } catch (const std::exception& failure) {
        take_error_path(failure.what());
        return UpdateOutcome::failed;
    }
}

UpdateOutcome Updater::run_checked()
{
    const int choice = table_.selected_choice();
    if (!entries_pass(choice))
        return UpdateOutcome::refused;
    make_update_packets(table_, choice, image_);
    if (!clash_free(choice))
        return UpdateOutcome::clash;
    view_.set_busy(true);
    view_.start_lamp();
    view_.set_status(updating_status);
    if (choice == auto_symbol_choice)
        transmit_auto_symbol();
    else
        transmit_slot();
    view_.stop_lamp();
    view_.set_status(completed_status);
    view_.set_busy(false);
    return UpdateOutcome::completed;
}

bool Updater::entries_pass(int choice)
{
    if (choice == no_choice) {
        view_.show_message(select_satellite_message);
        return false;
    }
    if (choice == auto_symbol_choice)
        return auto_rates_pass();
    return slot_entries_pass(choice);
}

bool Updater::auto_rates_pass()
{
    for (int k = 0; k < auto_rate_count; ++k) {
        if (table_.auto_rate(k).empty()) {
            view_.show_message(auto_rate_messages[0]);
            return false;
        }
    }
    for (int k = 0; k < auto_rate_count; ++k) {
        const std::string& rate = table_.auto_rate(k);
        const double value = numeric_value(rate);
        if (!is_numeric_text(rate) || value < 0 || value > 32000) {
            view_.show_message(auto_rate_messages[1]);
            return false;
        }
    }
    return true;
}

bool Updater::slot_entries_pass(int slot)
{
    if (table_.position(slot).empty()) {
        view_.show_message(tp_error_messages[1]);
        return false;
    }
    int ticked_count = 0;
    for (int r = 0; r < rows_per_slot; ++r) {
        const int i = row_index(slot, r);
        // The ticks are taken here, once: a row ticked while the update runs is never sent.
        ticked_[static_cast<std::size_t>(r)] = table_.ticked(i);
        if (!table_.ticked(i))
            continue;
        ++ticked_count;
        const int code = check_tp_fields(table_, i);
        if (code != 0) {
            view_.show_message(tp_error_messages[static_cast<std::size_t>(code)]);
            return false;
        }
    }
    if (ticked_count == 0) {
        view_.show_message(select_tps_message);
        return false;
    }
    return true;
}

bool Updater::clash_free(int choice)
{
    std::string message;
    if (choice == auto_symbol_choice) {
        if (autosym_packet_clashes(image_.autosym_packet) ||
            autosym_packet_clashes(image_.tagged_autosym_packet))
            message = symbolrate_clash_message;
    } else {
        std::string list;
        for (int r = 0; r < rows_per_slot; ++r) {
            if (ticked_[static_cast<std::size_t>(r)] &&
                tp_packet_clashes(image_.tp_packets[static_cast<std::size_t>(r)]))
                list += (list.empty() ? "" : ", ") + tp_list_entry(r);
        }
        if (!list.empty())
            message = "Change the " + list + " informations (DATA FORMAT ERROR)";
    }
    if (message.empty())
        return true;
    view_.set_status(message);
    view_.show_message(message);
    return false;
}

void Updater::transmit_slot()
{
    int rows = 0;
    for (bool ticked : ticked_)
        rows += ticked ? 1 : 0;
    view_.set_progress_maximum(rows * repeat_count);
    view_.set_progress_value(1);
    int progress = 0;
    for (int r = 0; r < rows_per_slot; ++r) {
        if (!ticked_[static_cast<std::size_t>(r)])
            continue;
        const TpPacket row_buffer = image_.tp_packets[static_cast<std::size_t>(r)];
        image_.tagged_tp_packet = make_tagged_tp_packet(row_buffer);
        for (int k = 1; k <= repeat_count; ++k) {
            ++progress;
            sink_.write_frame(row_buffer);
            pacer_.wait_ticks(tp_repeat_gap);
            sink_.write_frame(row_buffer);
            pacer_.wait_ticks(tp_repeat_gap);
            sink_.write_frame(image_.tagged_tp_packet);
            pacer_.wait_ticks(static_cast<std::int16_t>(20 * k + 210));
            view_.set_progress_value(progress);
        }
    }
}

void Updater::transmit_auto_symbol()
{
    view_.set_progress_maximum(repeat_count);
    view_.set_progress_value(1);
    const int repetitions = static_cast<int>(round_half_even(repeat_count / 3.0));
    for (int j = 1; j <= repetitions; ++j) {
        sink_.write_frame(image_.autosym_packet);
        pacer_.wait_ticks(autosym_gap);
        sink_.write_frame(image_.tagged_autosym_packet);
        pacer_.wait_ticks(static_cast<std::int16_t>(20 * j + 200));
        view_.set_progress_value(3 * j);
    }
}

void Updater::take_error_path(std::string_view description)
{
    view_.stop_lamp();
    view_.disconnect_after_error();
    view_.set_status(error_status);
    view_.set_busy(false);
    view_.show_message(description);
}

} // namespace tervalink
