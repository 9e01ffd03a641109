// tervalink-frames monitor: the one live test of the monitor, at the real clock, and the ports it
// refuses.
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTest>
#include <QThread>

#include <csignal>
#include <sstream>

#include <unistd.h>

#include "exit_codes.h"
#include "monitor.h"
#include "pseudo_terminal.h"
#include "serial_line.h"
#include "text_lines.h"
#include "transmitter.h"
#include "worked_frames.h"

using namespace tervalink;
using namespace tervalink::test;

class MonitorTest : public QObject {
    Q_OBJECT
private slots:
    void decodes_a_live_update_until_ctrl_c();
    void refuses_ports_it_cannot_use();
};

void MonitorTest::decodes_a_live_update_until_ctrl_c()
{
    // A null-modem cable between two pseudo-terminals: what the program sends on the first
    // arrives on the second, where the monitor listens. This thread's event loop carries it.
    PseudoTerminal sending_side;
    PseudoTerminal listening_side;
    QSocketNotifier cable(sending_side.master_fd(), QSocketNotifier::Read);
    QObject::connect(&cable, &QSocketNotifier::activated, [&] {
        const std::vector<std::uint8_t> bytes = sending_side.read_available();
        QVERIFY(::write(listening_side.master_fd(), bytes.data(), bytes.size()) ==
                ssize_t(bytes.size()));
    });
    std::ostringstream out;
    std::ostringstream err;
    int exit_code = -1;
    const std::string listening_path = listening_side.slave_path();
    std::unique_ptr<QThread> monitor(QThread::create(
        [&] { exit_code = frames_tool::run_monitor(listening_path, out, err); }));
    monitor->start();
    QTest::qWait(300); // the monitor opens its port

    // Three frames 50 and 120 ms apart.
    Transmission transmission;
    transmission.steps = {{hotbird_tp2, FrameKind::tp, 5, {}},
                          {hotbird_tp2, FrameKind::tp, 12, {}},
                          {hotbird_tp2_tagged, FrameKind::tagged_tp, 1, {}}};
    SerialLine line;
    line.open_path(sending_side.slave_path());
    struct Ended : TransmissionListener {
        void finished() override { outcome = "finished"; }
        void failed(const std::string& description) override { outcome = description; }
        std::string outcome;
    } ended;
    MonotonicClock clock;
    Sender sender;
    sender.start({transmission}, line, clock, ended);
    QTest::qWait(600); // the frames cross the cable, carried by this thread's event loop
    sender.join();
    QCOMPARE(ended.outcome, std::string("finished"));

    ::kill(::getpid(), SIGINT);
    QVERIFY(monitor->wait(5000));
    QCOMPARE(exit_code, int(frames_tool::exit_done));
    QCOMPARE(err.str(), "Listening on " + listening_path + " at 57600 baud, 8 data bits, no "
                        "parity, one stop bit; press Ctrl-C to stop\n");
    // "     0.370 s     +220 ms  TP ...": the gap shows the spacing the program gave the frames,
    // give or take the cable's relay.
    const QRegularExpression layout(R"(^ +\d+\.\d{3} s  (      first| {4,5}\+(\d+) ms)  (.*)$)");
    const std::vector<std::string> lines = lines_of(out.str());
    const QStringList fields = {"TP HOTBIRD TP2", "TP HOTBIRD TP2", "tagged TP"};
    const int gaps[] = {0, 50, 120};
    QCOMPARE(lines.size(), std::size_t(3));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto match = layout.match(QString::fromStdString(lines[i]));
        QVERIFY2(match.hasMatch(), lines[i].c_str());
        QVERIFY2(std::abs(match.captured(2).toInt() - gaps[i]) <= 30, lines[i].c_str());
        QCOMPARE(match.captured(3), fields[int(i)] + ": position 130, NID 1, FREQ 11778, SYMB "
                                                     "27500, POL V; checksum ok, end marker ok");
    }
}

void MonitorTest::refuses_ports_it_cannot_use()
{
    const std::tuple<const char*, int, const char*> cases[] = {
        {"/nonexistent/ttyUSB9", 4, "Cannot open /nonexistent/ttyUSB9: no such device\n"},
        {"COM107", 2, "PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or a device "
                      "path such as /dev/ttyUSB0\n"}};
    for (const auto& [port, exit_code, diagnostic] : cases) {
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(frames_tool::run_monitor(port, out, err), exit_code);
        QCOMPARE(err.str(), std::string(diagnostic));
        QCOMPARE(out.str(), std::string());
    }
}

QTEST_GUILESS_MAIN(MonitorTest)
#include "monitor_test.moc"
