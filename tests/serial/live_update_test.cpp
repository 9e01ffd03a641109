#include <QTest>
#include <QTimer>

#include "pacing_clock.h"
#include "pseudo_terminal.h"
#include "serial_line.h"
#include "update_fixture.h"

using namespace tervalink;
using namespace tervalink::test;
using namespace std::chrono_literals;

namespace {

// A pause may run a little long (the timer's own lateness), never short. The sanitizer build runs
// several times slower and shares the machine with other tests' builds, so there only the length
// floor and a loose ceiling are checked; the optimised build holds the 3 ms bound.
#ifdef TERVALINK_SANITIZED_BUILD
constexpr double pause_tolerance_ms = 20.0;
#else
constexpr double pause_tolerance_ms = 3.0;
#endif

double ms_between(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// An AUTO SYMBOL update wired to a pseudo-terminal through the real line and clock.
struct AutoSymbolUpdate {
    explicit AutoSymbolUpdate(std::chrono::milliseconds tick_period) : clock(tick_period)
    {
        line.open_path(far_end.slave_path());
    }

    PseudoTerminal far_end;
    SerialLine line;
    TimedSink sink{line};
    PacingClock clock;
    RecordingView view;
    const SatelliteTable table = auto_symbol_table();
    UpdateImage image;
    Updater updater{table, image, sink, clock, view};
};

struct TimedUpdate {
    UpdateOutcome outcome = UpdateOutcome::failed;
    std::vector<std::uint8_t> bytes; // what reached the far end
    std::vector<double> pauses_ms;   // write to write; the last one to the end of the update
    double total_ms = 0;
    std::string status;
};

TimedUpdate auto_symbol_update_at_the_real_clock()
{
    AutoSymbolUpdate rig(10ms);
    TimedUpdate timed;
    timed.outcome = rig.updater.run();
    const auto finished = std::chrono::steady_clock::now();
    timed.bytes = rig.far_end.read_available();
    for (std::size_t i = 0; i < rig.sink.write_times.size(); ++i) {
        const auto end = i + 1 < rig.sink.write_times.size() ? rig.sink.write_times[i + 1] : finished;
        timed.pauses_ms.push_back(ms_between(rig.sink.write_times[i], end));
    }
    if (!rig.sink.write_times.empty())
        timed.total_ms = ms_between(rig.sink.write_times.front(), finished);
    timed.status = rig.view.status;
    return timed;
}

QStringList pauses_outside(const TimedUpdate& timed, double below_ms, double above_ms)
{
    const std::vector<int> ticks = auto_symbol_pause_ticks();
    QStringList faults;
    for (std::size_t i = 0; i < ticks.size() && i < timed.pauses_ms.size(); ++i) {
        const double nominal = ticks[i] * 10.0;
        if (timed.pauses_ms[i] < nominal - below_ms || timed.pauses_ms[i] > nominal + above_ms)
            faults << QString("pause %1: %2 ms, nominal %3 ms").arg(i).arg(timed.pauses_ms[i]).arg(nominal);
    }
    return faults;
}

} // namespace

class LiveUpdateTest : public QObject {
    Q_OBJECT
private slots:
    void auto_symbol_update_keeps_its_timing_on_a_real_line();
    void far_end_closing_mid_update_takes_the_error_path();
};

void LiveUpdateTest::auto_symbol_update_keeps_its_timing_on_a_real_line()
{
    TimedUpdate timed = auto_symbol_update_at_the_real_clock();
    QStringList short_pauses = pauses_outside(timed, 0.0, 1e9);
    QStringList long_pauses = pauses_outside(timed, 1e9, pause_tolerance_ms);
    // This virtual machine now and then holds a process for 10 to 30 ms; when that happens over
    // the last tick of a pause, the pause runs long through no fault of the clock. A run with a
    // long pause is measured once more, and the bound must hold in that second run. A short pause
    // is a fault of the clock and is never measured again.
    if (short_pauses.isEmpty() && !long_pauses.isEmpty()) {
        qWarning("measuring again after a disturbed run: %s", qPrintable(long_pauses.join("; ")));
        timed = auto_symbol_update_at_the_real_clock();
        short_pauses = pauses_outside(timed, 0.0, 1e9);
        long_pauses = pauses_outside(timed, 1e9, pause_tolerance_ms);
    }
    QCOMPARE(timed.outcome, UpdateOutcome::completed);
    QCOMPARE(timed.bytes, expected_auto_symbol_bytes());
    QCOMPARE(timed.pauses_ms.size(), auto_symbol_pause_ticks().size());
    QVERIFY2(short_pauses.isEmpty(), qPrintable(short_pauses.join("; ")));
    QVERIFY2(long_pauses.isEmpty(), qPrintable(long_pauses.join("; ")));
    QVERIFY2(std::abs(timed.total_ms - 20500.0) <= 20500.0 * 0.005,
             qPrintable(QString::number(timed.total_ms)));
    QCOMPARE(timed.status, std::string(completed_status));
}

void LiveUpdateTest::far_end_closing_mid_update_takes_the_error_path()
{
    AutoSymbolUpdate rig(1ms);
    // With 1 ms ticks the first three frames leave at 0, 150 and 370 ms, the fourth at 520 ms.
    std::vector<std::uint8_t> received;
    QTimer::singleShot(450ms, [&] {
        received = rig.far_end.read_available();
        rig.far_end.close_master();
    });

    QCOMPARE(rig.updater.run(), UpdateOutcome::failed);

    const std::vector<std::uint8_t> expected = expected_auto_symbol_bytes();
    QCOMPARE(received, std::vector<std::uint8_t>(expected.begin(), expected.begin() + 3 * 24));
    QCOMPARE(rig.sink.write_times.size(), std::size_t{4}); // no frame after the failing one
    QCOMPARE(rig.view.disconnects, 1);
    QCOMPARE(rig.view.status, std::string(error_status));
    QCOMPARE(rig.view.messages,
             std::vector<std::string>{"Cannot send to " + rig.far_end.slave_path() +
                                      ": the device has gone (unplugged?)"});
    QVERIFY(!rig.line.is_open());
}

QTEST_GUILESS_MAIN(LiveUpdateTest)
#include "live_update_test.moc"
