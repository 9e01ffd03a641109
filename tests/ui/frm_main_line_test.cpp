// The window driving a pseudo-terminal: CONNECT and DISCONNECT, the entry and clash refusals, whole
// updates byte for byte, DISCONNECT and closing during a transmission.
#include <termios.h>

#include <array>
#include <functional>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "lamp.h"
#include "line_fixture.h"
#include "message_box_closer.h"

using namespace tervalink;
using namespace tervalink::test;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes hotbird_tp2 = {0x23, 0x53, 0x03, 0x01, 0x82, 0x00, 0x01, 0x00,
                           0x02, 0x2E, 0x6C, 0x6B, 0x00, 0xAA, 0x2A};
const Bytes hotbird_tp2_tagged = {0x23, 0x53, 0x14, 0x37, 0x82, 0x00, 0x01, 0x00,
                                  0x02, 0x2E, 0x6C, 0x6B, 0x00, 0x8B, 0x2A};
const Bytes autosym = {0x23, 0x42, 0x6C, 0x6B, 0xF0, 0x55, 0x30, 0x75, 0xCC, 0x74, 0x78, 0x69,
                       0x60, 0x6D, 0xA8, 0x61, 0xD8, 0x59, 0xDF, 0x17, 0x88, 0x13, 0x58, 0x2A};
const Bytes autosym_tagged = {0x23, 0x42, 0x14, 0x37, 0xF0, 0x55, 0x30, 0x75,
                              0xCC, 0x74, 0x78, 0x69, 0x60, 0x6D, 0xA8, 0x61,
                              0xD8, 0x59, 0xDF, 0x17, 0x88, 0x13, 0x7C, 0x2A};
const QStringList autosym_rates{"27500", "22000", "30000", "29900", "27000",
                                "28000", "25000", "23000", "6111",  "5000"};

const QString updating_text = QStringLiteral("Updating ...   Please wait a few minutes.");
const QString completed_text = QStringLiteral("Update has been completed.");
const QString failed_status = QStringLiteral("Error occurred during updating. Please try again.");

// Ticks TP row `index` and fills its boxes: NID, FREQ, SYMB, POL.
QStringList row_steps(int index, const QStringList& values)
{
    QStringList steps{indexed("chTp", index)};
    const std::array<const char*, 4> boxes{"txtNID", "txtFreq", "txtSym", "txtPol"};
    for (std::size_t n = 0; n < boxes.size(); ++n)
        steps << indexed(boxes[n], index) + "=" + values[static_cast<qsizetype>(n)];
    return steps;
}

const QStringList hotbird_tp2_steps =
    QStringList{"opSat_3"} + row_steps(16, {"1", "11778", "27500", "V"});

QStringList autosym_steps(const QStringList& rates)
{
    QStringList steps{"opSat_13"};
    for (int k = 0; k < rates.size(); ++k)
        steps << QStringLiteral("txtAutoSym_%1=%2").arg(k).arg(rates[k]);
    return steps;
}

Bytes repeat_frames(const std::vector<Bytes>& sequence, int times)
{
    Bytes all;
    for (int n = 0; n < times; ++n)
        for (const Bytes& frame : sequence)
            all.insert(all.end(), frame.begin(), frame.end());
    return all;
}

// Watches the window while an update runs: statuses in the order shown, progress values,
// whether the lamp showed blue and whether the pointer was busy; and runs one action once the far
// end has received `trigger_bytes`.
class UpdateWatcher : public QObject {
public:
    UpdateWatcher(LineFixture& line, std::size_t trigger_bytes, std::function<void()> action)
        : line_(line), trigger_bytes_(trigger_bytes), action_(std::move(action))
    {
        auto* progress = line.ui().find<QProgressBar>("pBar");
        connect(progress, &QProgressBar::valueChanged, this, [this, progress](int value) {
            values.push_back(value);
            maximum = progress->maximum();
        });
        connect(&poll_, &QTimer::timeout, this, &UpdateWatcher::look);
        poll_.start(5);
        look();
    }

    // Takes the last look once the update has returned.
    void finish()
    {
        poll_.stop();
        look();
    }

    std::vector<int> values;
    int maximum = -1;
    QStringList statuses;
    bool lamp_was_blue = false;
    bool was_busy = false;

private:
    void look()
    {
        const QString status = line_.ui().find<QLabel>("lblSystem")->text();
        if (statuses.isEmpty() || statuses.back() != status)
            statuses << status;
        lamp_was_blue |= line_.ui().find<Lamp>("pic")->colour() == QColor(0, 0, 255);
        was_busy |= QApplication::overrideCursor() != nullptr;
        if (action_ && line_.received().size() >= trigger_bytes_) {
            auto action = std::move(action_);
            action_ = {};
            action();
        }
    }

    LineFixture& line_;
    std::size_t trigger_bytes_;
    std::function<void()> action_;
    QTimer poll_;
};

void expect_connected(WindowFixture& ui, bool connected)
{
    QCOMPARE(ui.find<QPushButton>("CmdConnect")->text(),
             connected ? QStringLiteral("DISCONNECT") : QStringLiteral("CONNECT"));
    QCOMPARE(ui.find<QPushButton>("cmdSend")->isEnabled(), connected);
}

void expect_lamp_resting_white(WindowFixture& ui)
{
    auto* lamp = ui.find<Lamp>("pic");
    QCOMPARE(lamp->colour(), QColor(255, 255, 255));
    QVERIFY(!lamp->blinking());
}

} // namespace

class FrmMainLineTest : public QObject {
    Q_OBJECT

private slots:
    void connect_reads_the_port_box_data();
    void connect_reads_the_port_box();
    void connection_through_disconnect_scan_and_close();
    void refused_updates_send_nothing_data();
    void refused_updates_send_nothing();
    void whole_update_data();
    void whole_update();
    void interrupting_a_transmission_data();
    void interrupting_a_transmission();
};

void FrmMainLineTest::connect_reads_the_port_box_data()
{
    QTest::addColumn<QString>("port_text");
    QTest::addColumn<bool>("connects");
    QTest::newRow("COM 107") << "COM 107" << true;
    QTest::newRow("106.6 rounds to 107") << "COM 106.6" << true;
    QTest::newRow("no device behind the number") << "COM 108" << false;
    QTest::newRow("prefix only") << "COM" << false;
}

void FrmMainLineTest::connect_reads_the_port_box()
{
    QFETCH(QString, port_text);
    QFETCH(bool, connects);
    MessageBoxCloser boxes;
    LineFixture line;
    line.press_connect(port_text);
    expect_connected(line.ui(), connects);
    QCOMPARE(boxes.shown().size(), connects ? 0 : 1);
    QCOMPARE(line.device_free(), !connects);
    if (!connects) {
        QVERIFY(!boxes.shown().front().text.isEmpty());
        QCOMPARE(boxes.shown().front().title, QStringLiteral("Tervalink"));
        QCOMPARE(boxes.shown().front().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
}

void FrmMainLineTest::connection_through_disconnect_scan_and_close()
{
    MessageBoxCloser boxes;
    LineFixture line;
    line.ui().find<QComboBox>("cboBurd")->setCurrentIndex(0); // "9600", which the line ignores
    line.press_connect();
    expect_connected(line.ui(), true);
    termios settings{};
    QCOMPARE(::tcgetattr(line.pty.master_fd(), &settings), 0);
    QCOMPARE(cfgetospeed(&settings), speed_t(B57600));
    QCOMPARE(settings.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(settings.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));

    click(line.ui().find<QPushButton>("CmdConnect"));
    expect_connected(line.ui(), false);
    QVERIFY(line.device_free());

    line.press_connect();
    line.ui().inventory.listed = {named_device("USB Serial (COM3)")};
    click(line.ui().find<QPushButton>("cmdScan"));
    QCOMPARE(line.ui().find<QComboBox>("cboPort")->currentText(), QStringLiteral("COM 3"));
    expect_connected(line.ui(), true); // Scan Ports keeps the connection
    QVERIFY(!line.device_free());

    line.ui().window().close();
    QVERIFY(line.device_free());
    QVERIFY(boxes.shown().isEmpty());
}

void FrmMainLineTest::refused_updates_send_nothing_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("status");
    const QString tp_empty = QStringLiteral(
        "Some of the required field(s) is(are) empty. Please fill out all the checked TP "
        "information.");
    const QString auto_empty = QStringLiteral(
        "Some of the required field(s) is(are) empty. Please fill out all the information.");
    const QString auto_range = QStringLiteral("Symbol Rate must be in positive numbers.");
    QTest::newRow("no satellite selected")
        << QStringList{} << "Select a satellite to update" << "";
    QTest::newRow("no row ticked") << QStringList{"opSat_0"} << "Select TPs to update" << "";
    QTest::newRow("only the first failing row is reported")
        << QStringList{"opSat_0"} + row_steps(0, {"1", "9000", "27500", "V"}) +
               row_steps(13, {"1", "11000", "1", "x"})
        << "Frequency range must be within 10700 ~12750." << "";
    const QString tp_clash =
        QStringLiteral("Change the TP 1, TP 3 informations (DATA FORMAT ERROR)");
    QTest::newRow("clash in rows 0 and 2")
        << QStringList{"opSat_0"} + row_steps(0, {"1", "10787", "27500", "V"}) +
               row_steps(26, {"1", "10787", "27500", "H"})
        << tp_clash << tp_clash;
    const QString auto_clash =
        QStringLiteral("Change the symbolrate informations (DATA FORMAT ERROR)");
    QTest::newRow("auto symbol all 0: tagged checksum is the start marker")
        << autosym_steps(QStringList(10, "0")) << auto_clash << auto_clash;
}

void FrmMainLineTest::refused_updates_send_nothing()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, message);
    QFETCH(QString, status);
    MessageBoxCloser boxes;
    LineFixture line;
    line.press_connect();
    perform(line.ui(), steps);

    click(line.ui().find<QPushButton>("cmdSend"));

    QCOMPARE(boxes.texts(), QStringList{message});
    QCOMPARE(line.ui().find<QLabel>("lblSystem")->text(), status);
    QTest::qWait(20);
    QVERIFY(line.received().empty());
    expect_connected(line.ui(), true);
    QCOMPARE(line.ui().find<QProgressBar>("pBar")->value(), 100);
    QVERIFY(QApplication::overrideCursor() == nullptr);
}

void FrmMainLineTest::whole_update_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<Bytes>("wire");
    QTest::addColumn<std::vector<int>>("progress"); // of 15
    QTest::newRow("HOTBIRD TP2")
        << hotbird_tp2_steps << repeat_frames({hotbird_tp2, hotbird_tp2, hotbird_tp2_tagged}, 15)
        << std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    QTest::newRow("AUTO SYMBOL") << autosym_steps(autosym_rates)
                                 << repeat_frames({autosym, autosym_tagged}, 5)
                                 << std::vector<int>{1, 3, 6, 9, 12, 15};
}

void FrmMainLineTest::whole_update()
{
    QFETCH(QStringList, steps);
    QFETCH(Bytes, wire);
    QFETCH(std::vector<int>, progress);
    MessageBoxCloser boxes;
    LineFixture line;
    line.press_connect();
    perform(line.ui(), steps);
    auto* update = line.ui().find<QPushButton>("cmdSend");
    bool pressed_again = false;
    // A second press while the first update runs must start nothing.
    UpdateWatcher watcher(line, 30, [&] {
        click(update);
        pressed_again = true;
    });

    click(update);

    watcher.finish();
    QVERIFY(pressed_again);
    QTest::qWait(20);
    QCOMPARE(line.received(), wire);
    QCOMPARE(watcher.maximum, 15);
    QCOMPARE(watcher.values, progress);
    QCOMPARE(watcher.statuses, (QStringList{"", updating_text, completed_text}));
    QVERIFY(watcher.lamp_was_blue);
    QVERIFY(watcher.was_busy);
    expect_lamp_resting_white(line.ui());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    expect_connected(line.ui(), true);
    QVERIFY(boxes.shown().isEmpty());
}

void FrmMainLineTest::interrupting_a_transmission_data()
{
    QTest::addColumn<bool>("by_closing"); // the window, rather than pressing DISCONNECT
    QTest::addColumn<int>("tick_ms");
    QTest::newRow("DISCONNECT") << false << 1;
    // At the real tick the close comes 2.3 s before the next write: only ending the running
    // pause at once lets the window go within a second.
    QTest::newRow("closing the window") << true << 10;
}

void FrmMainLineTest::interrupting_a_transmission()
{
    QFETCH(bool, by_closing);
    QFETCH(int, tick_ms);
    MessageBoxCloser boxes;
    LineFixture line{std::chrono::milliseconds(tick_ms)};
    line.press_connect();
    perform(line.ui(), hotbird_tp2_steps);
    QElapsedTimer since_interrupt;
    UpdateWatcher watcher(line, 45, [&] {
        since_interrupt.start();
        if (by_closing)
            line.ui().window().close();
        else
            click(line.ui().find<QPushButton>("CmdConnect"));
    });

    click(line.ui().find<QPushButton>("cmdSend"));

    QVERIFY(since_interrupt.isValid());
    QVERIFY(since_interrupt.elapsed() < 1000);
    const std::size_t sent_at_return = line.received().size();
    QVERIFY(sent_at_return >= 45);
    QVERIFY(sent_at_return < 675);
    QTest::qWait(50);
    QCOMPARE(line.received().size(), sent_at_return);
    QVERIFY(line.device_free());
    QVERIFY(QApplication::overrideCursor() == nullptr);
    QCOMPARE(line.ui().window().isVisible(), !by_closing);
    QCOMPARE(boxes.shown().size(), by_closing ? 0 : 1);
    if (by_closing)
        return;
    QCOMPARE(sent_at_return % 15, std::size_t(0));
    QVERIFY(!boxes.shown().front().text.isEmpty());
    QCOMPARE(line.ui().find<QLabel>("lblSystem")->text(), failed_status);
    expect_connected(line.ui(), false);
    expect_lamp_resting_white(line.ui());
}

QTEST_MAIN(FrmMainLineTest)
#include "frm_main_line_test.moc"
