#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "failure.h"
#include "pacing_clock.h"

using namespace tervalink;
using namespace std::chrono_literals;

namespace {

void pump_for(std::chrono::milliseconds duration)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (elapsed.elapsed() < duration.count())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A wait returns on the tick that reaches its count. A stall over that last tick may bring in the
// periods it swallowed as well, so the count can stand above the target, never below it.
void verify_wait_reached(const PacingClock& clock, int ticks)
{
    QVERIFY2(clock.tick_count() >= ticks, qPrintable(QString::number(clock.tick_count())));
}

} // namespace

class PacingClockTest : public QObject {
    Q_OBJECT
private slots:
    void waits_last_their_ticks_data();
    void waits_last_their_ticks();
    void timer_stops_when_a_wait_ends();
    void window_events_run_during_a_wait();
    void stall_inside_a_wait_does_not_stretch_it();
    void nested_wait_is_refused_and_the_outer_wait_ends();
    void tick_count_saturates_at_30000();
    void wait_beyond_30000_is_refused();
    void abandoned_wait_fails_at_once();
};

void PacingClockTest::waits_last_their_ticks_data()
{
    QTest::addColumn<int>("ticks");
    QTest::addColumn<int>("final_count");
    QTest::addColumn<int>("min_ms");
    QTest::addColumn<int>("max_ms");
    QTest::newRow("0 returns at once") << 0 << 0 << 0 << 5;
    QTest::newRow("negative returns at once") << -5 << 0 << 0 << 5;
    QTest::newRow("30") << 30 << 30 << 300 << 330;
}

void PacingClockTest::waits_last_their_ticks()
{
    QFETCH(int, ticks);
    QFETCH(int, final_count);
    QFETCH(int, min_ms);
    QFETCH(int, max_ms);
    PacingClock clock(10ms);
    clock.reset_and_start();
    pump_for(50ms); // tick_count left running from start-up
    QElapsedTimer elapsed;
    elapsed.start();
    clock.wait_ticks(static_cast<std::int16_t>(ticks));
    const double ms = double(elapsed.nsecsElapsed()) / 1e6;
    verify_wait_reached(clock, final_count);
    if (final_count == 0)
        QCOMPARE(int(clock.tick_count()), 0); // the count left running from start-up was reset
    QVERIFY2(ms >= min_ms && ms <= max_ms, qPrintable(QString::number(ms)));
    QVERIFY(!clock.waiting());
}

void PacingClockTest::timer_stops_when_a_wait_ends()
{
    PacingClock clock(1ms);
    clock.wait_ticks(3);
    const int at_return = clock.tick_count();
    pump_for(30ms);
    QCOMPARE(int(clock.tick_count()), at_return);
}

void PacingClockTest::window_events_run_during_a_wait()
{
    PacingClock clock(10ms);
    int lamp_ticks = 0;
    QTimer lamp;
    lamp.setInterval(80);
    connect(&lamp, &QTimer::timeout, [&] { ++lamp_ticks; });
    lamp.start();
    clock.wait_ticks(50);
    QVERIFY2(lamp_ticks >= 5 && lamp_ticks <= 7, qPrintable(QString::number(lamp_ticks)));
}

// A handler that holds the thread for 60 ms swallows six expiries; the pause still ends on time.
void PacingClockTest::stall_inside_a_wait_does_not_stretch_it()
{
    PacingClock clock(10ms);
    QTimer::singleShot(50ms, [] { QThread::msleep(60); });
    QElapsedTimer elapsed;
    elapsed.start();
    clock.wait_ticks(30);
    const qint64 ms = elapsed.elapsed();
    QVERIFY2(ms >= 300 && ms < 330, qPrintable(QString::number(ms)));
}

void PacingClockTest::nested_wait_is_refused_and_the_outer_wait_ends()
{
    // 10 ms ticks: with 1 ms ones, a hold-up of the process near the end (seen in the sanitizer
    // build) counts the missed periods and ends the wait past 40.
    PacingClock clock(10ms);
    QString inner_failure;
    QTimer::singleShot(5ms, [&] {
        try {
            clock.wait_ticks(5);
        } catch (const Failure& failure) {
            inner_failure = failure.what();
        }
    });
    QElapsedTimer elapsed;
    elapsed.start();
    clock.wait_ticks(40);
    QVERIFY(inner_failure.startsWith("A pause was started while another pause was running"));
    verify_wait_reached(clock, 40);
    QVERIFY(elapsed.elapsed() < 1000);
}

void PacingClockTest::tick_count_saturates_at_30000()
{
    PacingClock clock(0ms); // an expiry on every pass of the event loop
    clock.reset_and_start();
    QElapsedTimer elapsed;
    elapsed.start();
    while (clock.tick_count() < 30000 && elapsed.elapsed() < 20000)
        QCoreApplication::processEvents();
    QCOMPARE(int(clock.tick_count()), 30000);
    for (int pass = 0; pass < 1000; ++pass)
        QCoreApplication::processEvents();
    QCOMPARE(int(clock.tick_count()), 30000);
    clock.wait_ticks(30000);
    QCOMPARE(int(clock.tick_count()), 30000);
    clock.wait_ticks(2); // the next wait starts again from 0
    QCOMPARE(int(clock.tick_count()), 2);
}

void PacingClockTest::wait_beyond_30000_is_refused()
{
    PacingClock clock(1ms);
    QVERIFY_THROWS_EXCEPTION(Failure, clock.wait_ticks(30001));
    QVERIFY(!clock.waiting());
    clock.wait_ticks(1);
    verify_wait_reached(clock, 1);
}

void PacingClockTest::abandoned_wait_fails_at_once()
{
    PacingClock clock(10ms);
    clock.abandon_wait(); // outside a wait: no effect on the next one
    clock.wait_ticks(3);
    verify_wait_reached(clock, 3);
    QTimer::singleShot(30ms, [&] { clock.abandon_wait(); });
    QElapsedTimer elapsed;
    elapsed.start();
    QVERIFY_THROWS_EXCEPTION(Failure, clock.wait_ticks(500));
    QVERIFY2(elapsed.elapsed() < 100, qPrintable(QString::number(elapsed.elapsed())));
    QVERIFY(!clock.waiting());
    clock.wait_ticks(2); // the clock is usable again
    verify_wait_reached(clock, 2);
}

QTEST_GUILESS_MAIN(PacingClockTest)
#include "pacing_clock_test.moc"
