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

void Transmitter::send(const Transmission& transmission)
{
    for (const TransmissionStep& step : transmission.steps) {
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
                   TransmissionListener& listener, SendingPriority priority)
{
    join();
    stop_.reset();
    sink_ = &sink;
    thread_ = std::thread([this, updates = std::move(updates), &sink, &clock, &listener, priority] {
        if (priority == SendingPriority::raised)
            raise_sending_priority();
        try {
            Transmitter transmitter(sink, clock, stop_, listener);
            for (std::size_t index = 0; index < updates.size(); ++index) {
                listener.update_started(index);
                transmitter.send(updates[index]);
            }
        } catch (const std::exception& failure) {
            // A write that a stop interrupted fails as the stop says.
            listener.failed(stop_.requested() ? stop_.description() : failure.what());
            return;
        }
        listener.finished();
    });
}

void Sender::stop(const std::string& description)
{
    stop_.request(description);
    if (started() && sink_ != nullptr)
        sink_->interrupt();
    join();
}

void Sender::join()
{
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

} // namespace tervalink
