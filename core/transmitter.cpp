#include "transmitter.h"

#include <exception>

#include "failure.h"
#include "thread_priority.h"

namespace tervalink {

Transmitter::Transmitter(FrameSink& sink, TransmissionClock& clock, StopRequest& stop,
                         TransmissionListener& listener)
    : sink_(sink), clock_(clock), stop_(stop), listener_(listener)
{
}

void Transmitter::send(const Transmission& transmission, std::size_t first)
{
    for (reached_ = first; reached_ < transmission.steps.size(); ++reached_) {
        const TransmissionStep& step = transmission.steps[reached_];
        if (stop_.requested())
            throw Failure(stop_.description());
        const TransmissionClock::Time started = clock_.now();
        sink_.write_frame(step.frame);
        listener_.frame_written(step, started);
        wait_ticks(step.pause_ticks, started);
        if (step.progress)
            listener_.progress(*step.progress);
    }
}

void Transmitter::wait_ticks(std::int16_t ticks, TransmissionClock::Time from)
{
    const TransmissionClock::Time deadline =
        from + ticks * std::chrono::duration_cast<TransmissionClock::Time>(tick_period);
    if (!clock_.sleep_until(deadline, stop_))
        throw Failure(stop_.description());
}

Sender::~Sender()
{
    if (started())
        stop("The transmission was stopped because the program is ending");
}

void Sender::start(std::vector<Transmission> updates, FrameSink& sink, TransmissionClock& clock,
                   TransmissionListener& listener, SendingPriority priority,
                   LineRecovery* recovery)
{
    join();
    stop_.reset();
    sink_ = &sink;
    recovery_ = recovery;
    thread_ = std::thread([this, updates = std::move(updates), &sink, &clock, &listener, priority,
                           recovery] {
        if (priority == SendingPriority::raised)
            raise_sending_priority();
        Transmitter transmitter(sink, clock, stop_, listener);
        std::size_t index = 0;
        std::size_t first = 0;
        bool resuming = false;
        while (index < updates.size()) {
            try {
                if (!resuming)
                    listener.update_started(index);
                resuming = false;
                transmitter.send(updates[index], first);
                ++index;
                first = 0;
            } catch (const std::exception& failure) {
                // A write that a stop interrupted fails as the stop says, and so does a recovery
                // that a stop ended.
                try {
                    if (stop_.requested() || recovery == nullptr ||
                        !recovery->recover(failure.what(), stop_)) {
                        listener.failed(stop_.requested() ? stop_.description() : failure.what());
                        return;
                    }
                } catch (const std::exception& unrecovered) {
                    listener.failed(stop_.requested() ? stop_.description() : unrecovered.what());
                    return;
                }
                first = repetition_start(updates[index], transmitter.reached());
                resuming = true;
                listener.resumed(index, first);
            }
        }
        listener.finished();
    });
}

void Sender::stop(const std::string& description)
{
    stop_.request(description);
    if (started() && sink_ != nullptr)
        sink_->interrupt();
    if (started() && recovery_ != nullptr)
        recovery_->interrupt();
    join();
}

void Sender::join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

} // namespace tervalink
