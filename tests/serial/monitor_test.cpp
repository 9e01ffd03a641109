#include <QSocketNotifier>
#include <QTest>
#include <QThread>

#include <atomic>
#include <csignal>
#include <sstream>

#include <unistd.h>

#include "exit_codes.h"
#include "text_lines.h"
#include "frame_decoder.h"
#include "monitor.h"
#include "pseudo_terminal.h"
#include "serial_line.h"
#include "transmitter.h"
#include "worked_frames.h"

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


// Three frames 50 and 120 ms apart, at the real clock.
Transmission short_transmission()
{
    Transmission transmission;
    transmission.steps = {{hotbird_tp2, FrameKind::tp, 5, {}},
                          {hotbird_tp2, FrameKind::tp, 12, {}},
                          {hotbird_tp2_tagged, FrameKind::tagged_tp, 1, {}}};
    return transmission;
}

const std::vector<std::string> expected_descriptions = {
    "TP HOTBIRD TP2: position 130, NID 1, FREQ 11778, SYMB 27500, POL V; checksum ok, end marker ok",
    "TP HOTBIRD TP2: position 130, NID 1, FREQ 11778, SYMB 27500, POL V; checksum ok, end marker ok",
    "tagged TP: position 130, NID 1, FREQ 11778, SYMB 27500, POL V; checksum ok, end marker ok"};
const std::vector<int> sent_gaps_ms = {-1, 50, 120};


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
    class Ended : public TransmissionListener {
    public:
        void finished() override { outcome = "finished"; }
        void failed(const std::string& description) override { outcome = description; }
        std::string outcome;
    } ended;
    MonotonicClock clock;
    Sender sender;
    sender.start({short_transmission()}, line, clock, ended);
    QTest::qWait(600); // the frames cross the cable, carried by this thread's event loop
    sender.join();
    QCOMPARE(ended.outcome, std::string("finished"));

    ::kill(::getpid(), SIGINT);
    QVERIFY(monitor->wait(5000));
    QCOMPARE(exit_code, int(frames_tool::exit_done));

    const std::vector<std::string> lines = lines_of(out.str());
    QCOMPARE(lines.size(), expected_descriptions.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        QVERIFY2(lines[i].ends_with("  " + expected_descriptions[i]), lines[i].c_str());
        // The gap shows the spacing the program gave the frames, give or take the cable's relay.
        const int gap = gap_ms(lines[i]);
        QVERIFY2(i == 0 ? gap == -1 : std::abs(gap - sent_gaps_ms[i]) <= 30, lines[i].c_str());
    }
}

void MonitorTest::refuses_ports_it_cannot_use_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("exit_code");
    QTest::addColumn<QString>("first_line");
    QTest::newRow("missing device") << "/nonexistent/ttyUSB9" << 4
                                    << "Cannot open /nonexistent/ttyUSB9: no such device";
    QTest::newRow("port 0") << "COM 0" << 2
                            << "COM 0 names no port: use COM 1-99 for /dev/ttyS0-98, COM 100-199 "
                               "for /dev/ttyUSB0-99, COM 200-299 for /dev/ttyACM0-99, COM 300-399 "
                               "for /dev/ttyAMA0-99 or COM 400-499 for /dev/rfcomm0-99";
    QTest::newRow("no blank") << "COM107" << 2
                              << "PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or "
                                 "a device path such as /dev/ttyUSB0";
}

void MonitorTest::refuses_ports_it_cannot_use()
{
    QFETCH(QString, port);
    QFETCH(int, exit_code);
    QFETCH(QString, first_line);
    std::ostringstream out;
    std::ostringstream err;
    QCOMPARE(frames_tool::run_monitor(port.toStdString(), out, err), exit_code);
    QCOMPARE(QString::fromStdString(lines_of(err.str()).at(0)), first_line);
    QCOMPARE(out.str(), std::string());
}

QTEST_GUILESS_MAIN(MonitorTest)
#include "monitor_test.moc"
