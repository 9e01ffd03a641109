#include "pacing_clock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>

#include <algorithm>

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
    start_timer1();
}

void PacingClock::start_timer1()
{
    since_start_.start();
    timer1_.start();
    periods_counted_ = 0;
    last_expiry_ns_ = 0;
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
    start_timer1();
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

// Every expiry counts one tick. When the process was held up for longer than a tick period, the
// platform delivers the overdue expiries as one (sometimes followed at once by a second); the
// periods it swallowed are counted from the elapsed time instead, so a stall in the middle of a
// pause does not stretch the pause, and the quick second expiry adds nothing. A pause never gets
// shorter: no more periods are counted than have really passed, one expiry's worth aside.
void PacingClock::timer1_Timer()
{
    const std::int64_t period_ns = std::chrono::nanoseconds(timer1_.intervalAsDuration()).count();
    const std::int64_t now_ns = since_start_.nsecsElapsed();
    std::int64_t added = 1;
    if (period_ns > 0) {
        added = now_ns / period_ns - periods_counted_;
        if (added <= 0)
            added = (now_ns - last_expiry_ns_ >= period_ns / 2) ? 1 : 0;
    }
    last_expiry_ns_ = now_ns;
    periods_counted_ += added;
    tick_count_ = static_cast<std::int16_t>(std::min<std::int64_t>(tick_limit, tick_count_ + added));
}

} // namespace tervalink
