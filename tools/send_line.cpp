#include "send_line.h"

#include <utility>

#include "frame_decoder.h"

namespace tervalink::frames_tool {
void FrameLog::write(double ms, const std::string& port, const TransmissionStep& step)
{
    const std::lock_guard lock(mutex_);
    std::fprintf(file_, "%.3f,%s,%s,%s\n", ms, port.c_str(), kind_name(step.kind).c_str(),
                 hex_bytes(step.frame).c_str());
    std::fflush(file_);
}

SendLine::SendLine(std::string port_text, const Batch& batch, FrameLog* log)
    : port_text_(std::move(port_text)), label_(port_text_), batch_(batch), log_(log)
{
}

void SendLine::start(std::unique_ptr<TransmissionClock> clock, SendingPriority priority)
{
    clock_ = std::move(clock);
    origin_ = clock_->now();
    std::vector<Transmission> updates;
    for (const BatchUpdate& update : batch_.updates)
        updates.push_back(update.transmission);
    sender_.start(std::move(updates), serial_, *clock_, *this, priority);
}

LineState SendLine::state() const
{
    const std::lock_guard lock(mutex_);
    return state_;
}

std::deque<std::string> SendLine::take_completed()
{
    const std::lock_guard lock(mutex_);
    return std::exchange(completed_, {});
}

void SendLine::update_started(std::size_t index)
{
    const std::lock_guard lock(mutex_);
    state_.update = index;
    state_.step = 0;
}

void SendLine::frame_written(const TransmissionStep& step, TransmissionClock::Time at)
{
    if (log_ != nullptr)
        log_->write(std::chrono::duration<double, std::milli>(at - origin_).count(), port_text_,
                    step);
    const std::lock_guard lock(mutex_);
    ++state_.step;
    ++state_.frames;
    state_.ticks_done += pause_before_;
    pause_before_ = step.pause_ticks;
}

void SendLine::progress(int)
{
    const std::lock_guard lock(mutex_);
    completed_.push_back(label_ + ": " + position_text(batch_, state_) + " sent");
}

void SendLine::finished()
{
    const std::lock_guard lock(mutex_);
    state_.ended = true;
}

void SendLine::failed(const std::string& description)
{
    const std::lock_guard lock(mutex_);
    state_.ended = true;
    state_.failure = description;
}

std::string position_text(const Batch& batch, const LineState& state)
{
    const BatchUpdate& update = batch.updates[state.update];
    const std::size_t step = state.step == 0 ? 0 : state.step - 1;
    const StepPosition at = step_position(update.transmission, step);
    const std::string repetition = "repetition " + std::to_string(at.repetition) + " of " +
                                   std::to_string(update.transmission.repetitions);
    std::string text = "update " + std::to_string(state.update + 1) + " of " +
                       std::to_string(batch.updates.size()) + ", ";
    if (update.rows.empty())
        return text + "AUTO SYMBOL, " + repetition;
    const int row = update.rows[std::min(at.part, update.rows.size() - 1)];
    return text + std::string(choice_name(update.choice)) + " TP" +
           std::to_string(row_of(row) + 1) + ", " + repetition;
}

} // namespace tervalink::frames_tool
