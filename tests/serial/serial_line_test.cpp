#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <termios.h>
#include <unistd.h>

#include "connection.h"
#include "failure.h"
#include "pseudo_terminal.h"
#include "serial_line.h"

using namespace tervalink;
using tervalink::test::PseudoTerminal;

namespace {

using Bytes = std::vector<std::uint8_t>;

// A device folder holding one pseudo-terminal under the name of COM 107.
struct DeviceFolder {
    QTemporaryDir dir;
    PseudoTerminal far_end;
    std::string root = dir.path().toStdString();
    std::string com107 = root + "/ttyUSB7";

    DeviceFolder() { ::symlink(far_end.slave_path().c_str(), com107.c_str()); }
};

std::string failure_of(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "no failure";
}

} // namespace

Q_DECLARE_METATYPE(std::vector<std::uint8_t>)

class SerialLineTest : public QObject {
    Q_OBJECT
private slots:
    void frames_arrive_byte_exact_one_per_write_data();
    void frames_arrive_byte_exact_one_per_write();
    void line_runs_57600_8n1_raw_without_flow_control();
    void port_in_use_fails_under_any_name();
    void write_on_closed_port_fails();
    void connect_and_disconnect_data();
    void connect_and_disconnect();
    void connect_closes_an_open_port_first();
};

void SerialLineTest::frames_arrive_byte_exact_one_per_write_data()
{
    QTest::addColumn<Bytes>("frame");
    // Line feeds, carriage returns, XON/XOFF and NUL must pass untouched on a raw line.
    QTest::newRow("control bytes") << Bytes{0x23, 0x53, 0x0A, 0x0D, 0x11, 0x13, 0x00, 0xFF,
                                            0x7F, 0x03, 0x1A, 0x04, 0x08, 0x9A, 0x2A};
    Bytes autosym(24, 0x10);
    autosym.front() = 0x23;
    autosym[1] = 0x42;
    autosym.back() = 0x2A;
    QTest::newRow("auto symbol") << autosym;
}

void SerialLineTest::frames_arrive_byte_exact_one_per_write()
{
    QFETCH(Bytes, frame);
    PseudoTerminal far_end;
    SerialLine line;
    line.open_path(far_end.slave_path());
    for (int write = 0; write < 3; ++write) {
        line.write_frame(frame);
        // No event loop runs here: the frame must already be on the line, whole and alone.
        QCOMPARE(far_end.read_available(), frame);
    }
}

void SerialLineTest::line_runs_57600_8n1_raw_without_flow_control()
{
    PseudoTerminal far_end;
    SerialLine line;
    line.open_path(far_end.slave_path());
    termios settings{};
    QCOMPARE(::tcgetattr(far_end.master_fd(), &settings), 0);
    QCOMPARE(::cfgetospeed(&settings), speed_t(B57600));
    QCOMPARE(settings.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(settings.c_iflag & (IXON | IXOFF), tcflag_t(0));
    QCOMPARE(settings.c_oflag & OPOST, tcflag_t(0));
}

void SerialLineTest::port_in_use_fails_under_any_name()
{
    DeviceFolder devices;
    SerialLine first(devices.root);
    first.set_port_number(107);
    first.open();
    SerialLine second(devices.root);
    second.set_port_number(107);
    QCOMPARE(failure_of([&] { second.open(); }),
             "Cannot open COM 107 (" + devices.com107 + "): it is in use by another program");
    QCOMPARE(failure_of([&] { second.open_path(devices.far_end.slave_path()); }),
             "Cannot open " + devices.far_end.slave_path() + ": it is in use by another program");
    QVERIFY(!second.is_open());
    QVERIFY(first.is_open());
    first.close();
    second.open();
    QVERIFY(second.is_open());
}

void SerialLineTest::write_on_closed_port_fails()
{
    SerialLine line;
    const Bytes frame(15, 0x11);
    QCOMPARE(failure_of([&] { line.write_frame(frame); }),
             std::string("Cannot send to the antenna unit: the port is closed; press CONNECT and "
                         "start the update again"));
}

// toggle_connection reads the port box text (halves round to even); ROOT is the device folder.
void SerialLineTest::connect_and_disconnect_data()
{
    QTest::addColumn<bool>("caption_is_connect");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("failure");
    QTest::newRow("COM 107") << true << "COM 107" << true << "";
    QTest::newRow("COM 107.5 to even: no device")
        << true << "COM 107.5" << false << "Cannot open COM 108 (ROOT/ttyUSB8): no such device";
    QTest::newRow("COM alone")
        << true << "COM" << false
        << "The port box text \"COM\" holds no port number; pick a port from the list or type "
           "one such as \"COM 100\"";
    QTest::newRow("disconnect") << false << "COM 107" << false << "";
}

void SerialLineTest::connect_and_disconnect()
{
    QFETCH(bool, caption_is_connect);
    QFETCH(QString, text);
    QFETCH(bool, connected);
    QFETCH(QString, failure);
    DeviceFolder devices;
    SerialLine line(devices.root);
    const ConnectionOutcome outcome =
        toggle_connection(line, caption_is_connect, text.toStdString());
    QCOMPARE(outcome.connected, connected);
    QCOMPARE(line.is_open(), connected);
    QCOMPARE(QString::fromStdString(outcome.failure.value_or("")),
             failure.replace("ROOT", QString::fromStdString(devices.root)));
}

void SerialLineTest::connect_closes_an_open_port_first()
{
    DeviceFolder devices;
    SerialLine line(devices.root);
    QVERIFY(toggle_connection(line, true, "COM 107").connected);
    // Connecting again to the same port works only when the first open was closed.
    const ConnectionOutcome again = toggle_connection(line, true, "COM 107");
    QVERIFY(again.connected);
    QVERIFY(!again.failure);
    // A failed connect leaves the port closed.
    QVERIFY(!toggle_connection(line, true, "COM 0").connected);
    QVERIFY(!line.is_open());
    QVERIFY(toggle_connection(line, true, "COM 107").connected);
    const ConnectionOutcome closed = toggle_connection(line, false, "COM 107");
    QVERIFY(!closed.connected);
    QVERIFY(!line.is_open());
}

QTEST_GUILESS_MAIN(SerialLineTest)
#include "serial_line_test.moc"
