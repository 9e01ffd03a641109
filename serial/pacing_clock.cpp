#include "pacing_clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>

#include "failure.h"

namespace tervalink {

namespace {

constexpr std::int16_t tick_limit = 30000;

// Marks the clock as waiting for as long as one wait runs, however it ends.
class WaitGuard {
public:
    WaitGuard(bool& waiting, QTimer& timer) : waiting_(waiting), timer_(timer) { waiting_ = true; }
    ~WaitGuard()
    {
        timer_.stop();
        waiting_ = false;
    }
    WaitGuard(const WaitGuard&) = delete;
    WaitGuard& operator=(const WaitGuard&) = delete;

private:
    bool& waiting_;
    QTimer& timer_;
};

} // namespace

PacingClock::PacingClock(std::chrono::milliseconds tick_period, QObject* parent)
    : QObject(parent), timer1_(this)
{
    timer1_.setTimerType(Qt::PreciseTimer);
    timer1_.setInterval(tick_period);
    connect(&timer1_, &QTimer::timeout, this, &PacingClock::timer1_Timer);
}

void PacingClock::reset_and_start()
{
    tick_count_ = 0;
    timer1_.start();
}

void PacingClock::wait_ticks(std::int16_t ticks)
{
    if (waiting_)
        throw Failure("A pause was started while another pause was running; the first pause "
                      "would never end. Wait until the running update has finished.");
    // tick_count stops at 30000, so a longer wait could never end.
    if (ticks > tick_limit)
        throw Failure("A pause of " + std::to_string(ticks) +
                      " ticks is longer than the pacing clock can count (30000 ticks)");
    WaitGuard guard(waiting_, timer1_);
    abandoned_ = false;
    timer1_.stop();
    tick_count_ = 0;
    timer1_.start();
    // Sleeps until the next event (a tick at the latest) instead of spinning.
    while (!abandoned_ && tick_count_ < ticks)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (abandoned_)
        throw Failure("The update was stopped because the window was closed");
}

void PacingClock::abandon_wait()
{
    if (!waiting_)
        return;
    abandoned_ = true;
    if (auto* dispatcher = QAbstractEventDispatcher::instance(thread()))
        dispatcher->wakeUp();
}

void PacingClock::timer1_Timer()
{
    if (tick_count_ < tick_limit)
        ++tick_count_;
}

} // namespace tervalink
