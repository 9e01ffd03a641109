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

void FrameLog::note(double ms, const std::string& port, const char* event,
                    const std::string& device)
{
    const std::lock_guard lock(mutex_);
    std::fprintf(file_, "%.3f,%s,%s,%s\n", ms, port.c_str(), event, device.c_str());
    std::fflush(file_);
}

SendLine::SendLine(std::string port_text, const Batch& batch, FrameLog* log)
    : port_text_(std::move(port_text)), label_(port_text_), batch_(batch), log_(log)
{
}

void SendLine::reconnect_within(std::chrono::seconds wait,
                                std::unique_ptr<DeviceInventory> inventory,
                                std::unique_ptr<AdapterArrivals> arrivals)
{
    reconnection_ = std::make_unique<LineReconnection>(serial_, wait, std::move(inventory),
                                                       std::move(arrivals), *this);
}

void SendLine::identify_adapter(const std::string& device, bool given_as_path)
{
    if (reconnection_)
        reconnection_->identify(label_, device, given_as_path);
}

void SendLine::start(std::unique_ptr<TransmissionClock> clock, SendingPriority priority)
{
    clock_ = std::move(clock);
    origin_ = clock_->now();
    std::vector<Transmission> updates;
    for (const BatchUpdate& update : batch_.updates)
        updates.push_back(update.transmission);
    sender_.start(std::move(updates), serial_, *clock_, *this, priority, reconnection_.get());
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

std::deque<std::string> SendLine::take_notices()
{
    const std::lock_guard lock(mutex_);
    return std::exchange(notices_, {});
}

double SendLine::ms_now() const
{
    return std::chrono::duration<double, std::milli>(clock_->now() - origin_).count();
}

void SendLine::adapter_gone(std::chrono::seconds wait)
{
    if (log_ != nullptr)
        log_->note(ms_now(), port_text_, "adapter gone", "");
    const std::lock_guard lock(mutex_);
    gone_at_ = clock_->now();
    state_.waiting = true;
    notices_.push_back(label_ + ": adapter gone; waiting up to " + std::to_string(wait.count()) +
                       " s for it to come back");
}

void SendLine::adapter_back(const std::string& device)
{
    if (log_ != nullptr)
        log_->note(ms_now(), port_text_, "adapter back", device);
    const std::lock_guard lock(mutex_);
    ++state_.reconnects;
    back_on_ = device;
}

// The batch stands where the cut repetition began: its frames go out again.
void SendLine::resumed(std::size_t index, std::size_t step)
{
    const std::lock_guard lock(mutex_);
    std::int64_t ticks = 0;
    for (std::size_t u = 0; u < index; ++u)
        ticks += total_ticks(batch_.updates[u].transmission);
    state_.update = index;
    state_.step = step;
    state_.ticks_done = ticks + ticks_before(batch_.updates[index].transmission, step);
    state_.waiting = false;
    pause_before_ = 0;
    char gap[32];
    std::snprintf(gap, sizeof gap, "%.1f",
                  std::chrono::duration<double>(clock_->now() - gone_at_).count());
    LineState next = state_;
    next.step = step + 1; // the position shown is that of the next frame
    completed_.push_back(label_ + ": adapter back on " + back_on_ + " after " + gap +
                         " s; resuming at " + position_text(batch_, next));
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
