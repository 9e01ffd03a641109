#include <QSocketNotifier>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sstream>

#include <unistd.h>

#include "exit_codes.h"
#include "frame_decoder.h"
#include "monitor.h"
#include "pacing_clock.h"
#include "pseudo_terminal.h"
#include "serial_line.h"
#include "update_fixture.h"

using namespace tervalink;
using namespace tervalink::test;
using namespace std::chrono_literals;

namespace {

// A null-modem cable between two pseudo-terminals: what the program sends on the first arrives
// on the second, where the monitor listens. It runs on the event loop that the update's waits pump.
class NullModem {
public:
    NullModem() : notifier_(sending_side.master_fd(), QSocketNotifier::Read)
    {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { carry(); });
    }

    PseudoTerminal sending_side;
    PseudoTerminal listening_side;

private:
    void carry()
    {
        const std::vector<std::uint8_t> bytes = sending_side.read_available();
        if (!bytes.empty())
            QVERIFY(::write(listening_side.master_fd(), bytes.data(), bytes.size()) ==
                    ssize_t(bytes.size()));
    }

    QSocketNotifier notifier_;
};

std::vector<std::string> expected_descriptions()
{
    const std::vector<std::uint8_t> bytes = expected_auto_symbol_bytes();
    FrameDecoder decoder;
    std::vector<DecodedFrame> frames = decoder.feed(bytes);
    for (DecodedFrame& frame : decoder.finish())
        frames.push_back(std::move(frame));
    std::vector<std::string> descriptions;
    for (const DecodedFrame& frame : frames)
        descriptions.push_back(describe_frame(frame));
    return descriptions;
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// "     0.370 s     +220 ms  AUTO ..." -> 220; the first frame has no gap.
int gap_ms(const std::string& line)
{
    const std::size_t plus = line.find('+');
    return plus == std::string::npos || plus > 30 ? -1 : std::stoi(line.substr(plus + 1));
}

} // namespace

class MonitorTest : public QObject {
    Q_OBJECT
private slots:
    void decodes_a_live_update_until_ctrl_c();
    void refuses_ports_it_cannot_use_data();
    void refuses_ports_it_cannot_use();
};

void MonitorTest::decodes_a_live_update_until_ctrl_c()
{
    NullModem cable;
    std::ostringstream out;
    std::ostringstream err;
    int exit_code = -1;
    const std::string listening_path = cable.listening_side.slave_path();
    std::unique_ptr<QThread> monitor(QThread::create(
        [&] { exit_code = frames_tool::run_monitor(listening_path, out, err); }));
    monitor->start();
    QTest::qWait(300); // the monitor opens its port

    SerialLine line;
    line.open_path(cable.sending_side.slave_path());
    PacingClock clock(1ms);
    RecordingView view;
    const SatelliteTable table = auto_symbol_table();
    UpdateImage image;
    TimedSink sink(line);
    Updater updater(table, image, sink, clock, view);
    QCOMPARE(updater.run(), UpdateOutcome::completed);
    QTest::qWait(300); // the last frame crosses the cable

    ::kill(::getpid(), SIGINT);
    QVERIFY(monitor->wait(5000));
    QCOMPARE(exit_code, int(frames_tool::exit_done));

    const std::vector<std::string> descriptions = expected_descriptions();
    const std::vector<std::string> lines = lines_of(out.str());
    QCOMPARE(lines.size(), descriptions.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QVERIFY2(lines[i].ends_with("  " + descriptions[i]), lines[i].c_str());
        if (i == 0) {
            QCOMPARE(gap_ms(lines[i]), -1);
            continue;
        }
        // The gap shows the spacing the program gave the frames, give or take the cable's relay.
        const auto sent_gap = std::chrono::duration_cast<std::chrono::milliseconds>(
            sink.write_times[i] - sink.write_times[i - 1]);
        const int gap = gap_ms(lines[i]);
        QVERIFY2(std::abs(gap - int(sent_gap.count())) <= 10, lines[i].c_str());
    }
}

void MonitorTest::refuses_ports_it_cannot_use_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QString>("message_start");
    QTest::newRow("missing device") << "/nonexistent/ttyUSB9" << int(frames_tool::exit_failure)
                                    << "Cannot open /nonexistent/ttyUSB9: no such device";
    QTest::newRow("port 0") << "COM 0" << int(frames_tool::exit_bad_arguments)
                            << "COM 0 names no port";
    QTest::newRow("no blank") << "COM107" << int(frames_tool::exit_bad_arguments)
                              << "PORT must be \"COM n\"";
}

void MonitorTest::refuses_ports_it_cannot_use()
{
    QFETCH(QString, port);
    QFETCH(int, exit_code);
    QFETCH(QString, message_start);
    std::ostringstream out;
    std::ostringstream err;
    QCOMPARE(frames_tool::run_monitor(port.toStdString(), out, err), exit_code);
    QVERIFY2(err.str().starts_with(message_start.toStdString()), err.str().c_str());
    QVERIFY(out.str().empty());
}

QTEST_GUILESS_MAIN(MonitorTest)
#include "monitor_test.moc"
