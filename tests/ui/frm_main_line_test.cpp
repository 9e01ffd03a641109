// The window driving a far end of the line: CONNECT and DISCONNECT, a refused update, whole
// updates byte for byte, DISCONNECT, closing and unplugging during a transmission, and one update
// at the real clock.
#include "lamp.h"
#include "window_fixture.h"
#include "worked_frames.h"

using namespace tervalink;
using namespace tervalink::test;

namespace {

const QString updating_text = QStringLiteral("Updating ...   Please wait a few minutes.");
const QString completed_text = QStringLiteral("Update has been completed.");
const QString failed_text = QStringLiteral("Error occurred during updating. Please try again.");

const QStringList autosym_steps{
    "opSat_13",           "txtAutoSym_0=27500", "txtAutoSym_1=22000", "txtAutoSym_2=30000",
    "txtAutoSym_3=29900", "txtAutoSym_4=27000", "txtAutoSym_5=28000", "txtAutoSym_6=25000",
    "txtAutoSym_7=23000", "txtAutoSym_8=6111",  "txtAutoSym_9=5000"};
const Bytes autosym_wire = repeated({autosym, autosym_tagged}, 5);
const Bytes hotbird_tp2_wire = repeated({hotbird_tp2, hotbird_tp2, hotbird_tp2_tagged}, 15);

QString status_of(WindowFixture& ui) { return ui.texts({"lblSystem"}).front(); }

// CONNECT or DISCONNECT, with UPDATE usable only while connected.
void expect_connected(WindowFixture& ui, bool connected)
{
    QCOMPARE(ui.texts({"CmdConnect"}), QStringList{connected ? "DISCONNECT" : "CONNECT"});
    QCOMPARE(ui.find("cmdSend")->isEnabled(), connected);
}

// After an update: the lamp white and still, the cursor as it was.
void expect_at_rest(WindowFixture& ui)
{
    QCOMPARE(ui.find<Lamp>("pic")->colour(), QColor(255, 255, 255));
    QVERIFY(!ui.find<Lamp>("pic")->blinking() && QApplication::overrideCursor() == nullptr);
}

enum class Interruption { disconnect, close_window, unplug };

} // namespace

class FrmMainLineTest : public QObject {
    Q_OBJECT

private slots:
    // CmdConnect_Click reads the port box and says why a port fails, and why an adapter that is
    // plugged in has no usable port: Scan Ports names that adapter in the port box's tooltip (and
    // shows no message). Through the shared fake inventory; the udev code behind it is tested on
    // mocked device trees by the tool's tests. A refused update sends nothing and leaves the
    // connection, the bar and the cursor as they were; Scan Ports keeps the connection; DISCONNECT
    // and closing the window let go of the device.
    void connection_through_disconnect_scan_and_close()
    {
        WindowFixture ui;
        const QString reason = "A USB serial adapter (1234:5678) is plugged in, but no driver has "
                               "taken it: install the driver of its chip, then plug it in again.";
        AdapterFacts driverless;
        driverless.usb_id = "1234:5678";
        ui.inventory.plugged_in = {driverless};
        QCOMPARE(ui.find<QComboBox>("cboPort")->toolTip(), QString());
        ui.perform({"cmdScan"});
        QCOMPARE(ui.find<QComboBox>("cboPort")->toolTip(), reason);
        ui.perform({"cboPort=COM 251", "CmdConnect"});
        QCOMPARE(ui.messages.texts,
                 QStringList{QString::fromStdString(ui.far_end.unmapped_port_failure()) + ". " +
                             reason});
        expect_connected(ui, false);
        ui.perform(ui.connect_steps());
        expect_connected(ui, true);
        QVERIFY(!ui.device_free());
        ui.perform({"cmdSend"});
        QCOMPARE(ui.find<QProgressBar>("pBar")->value(), 100);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        expect_connected(ui, true);

        ui.perform({"CmdConnect"});
        expect_connected(ui, false);
        QVERIFY(ui.device_free());
        ui.perform(ui.connect_steps());
        ui.inventory.list_names({"USB Serial (COM3)"});
        ui.perform({"cmdScan"});
        expect_connected(ui, true);
        QVERIFY(!ui.device_free());
        ui.window->close();
        QVERIFY(ui.device_free());
        QCOMPARE(ui.messages.texts.mid(1), QStringList{"Select a satellite to update"});
        QVERIFY(ui.far_end.bytes().empty());
    }

    // During the AUTO SYMBOL update: the status, the busy cursor, the blinking lamp, the machine
    // kept awake; a second press starts nothing. The frames come from a thread of their own: with
    // the window's thread blocked and pumping nothing, the rest of them reach the far end. At its
    // end: the bar full of its 15 steps, at rest, the machine free to sleep.
    void whole_update()
    {
        WindowFixture ui;
        QVERIFY(ui.send_held_in_pause(autosym_steps, 1));
        QCOMPARE(status_of(ui), updating_text);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        QTRY_COMPARE(ui.find<Lamp>("pic")->colour(), QColor(0, 0, 255));
        QVERIFY(ui.awake.held());
        ui.perform({"cmdSend"});
        ui.clock.release();
        QVERIFY(ui.far_end.wait_for_bytes(autosym_wire.size(), std::chrono::seconds(10)));
        QCOMPARE(ui.far_end.bytes(), autosym_wire);
        QCOMPARE(status_of(ui), updating_text); // the end is shown once the window runs again
        QTRY_COMPARE(status_of(ui), completed_text);
        auto* progress = ui.find<QProgressBar>("pBar");
        QCOMPARE(QList<int>({progress->maximum(), progress->value()}), QList<int>({15, 15}));
        QCOMPARE(QList<int>({ui.awake.taken, ui.awake.released}), QList<int>({1, 1}));
        expect_at_rest(ui);
        expect_connected(ui, true);
        QVERIFY(ui.messages.texts.isEmpty());
    }

    void interrupting_a_transmission_data()
    {
        QTest::addColumn<Interruption>("interruption");
        QTest::addColumn<int>("pause"); // the pause it comes in; that many frames + 1 are out
        QTest::addColumn<QString>("box"); // %1 is how the line names the port
        QTest::newRow("DISCONNECT") << Interruption::disconnect << 3
            << QStringLiteral("Cannot send to the antenna unit: the port is closed; "
                              "press CONNECT and start the update again");
        QTest::newRow("closing the window") << Interruption::close_window << 4 << QString();
        QTest::newRow("unplugging the adapter") << Interruption::unplug << 2
            << QStringLiteral("Cannot send to %1: the device has gone (unplugged?)");
    }

    // Whatever ends it, the update stops at once and the window lets go of the device and of the
    // machine's sleep, and shows it is disconnected; it says why, unless the window is closing:
    // then it waits for nobody.
    void interrupting_a_transmission()
    {
        QFETCH(Interruption, interruption);
        QFETCH(int, pause);
        QFETCH(QString, box);
        WindowFixture ui;
        QVERIFY(ui.send_held_in_pause(hotbird_tp2_steps, pause));
        const Bytes sent(hotbird_tp2_wire.begin(), hotbird_tp2_wire.begin() + 15 * (pause + 1));
        QVERIFY(ui.far_end.wait_for_bytes(sent.size(), std::chrono::seconds(5)));
        QCOMPARE(ui.far_end.bytes(), sent);
        QVERIFY(ui.awake.held());
        if (interruption == Interruption::disconnect) {
            ui.perform({"CmdConnect"});
        } else if (interruption == Interruption::close_window) {
            ui.window->close();
        } else {
            ui.far_end.unplug();
            ui.clock.release();
        }
        QCoreApplication::processEvents();
        QTRY_COMPARE(ui.messages.texts.join(""),
                     box.replace("%1", QString::fromStdString(ui.far_end.port_label())));
        QCOMPARE(status_of(ui), failed_text);
        QCOMPARE(QList<int>({ui.awake.taken, ui.awake.released}), QList<int>({1, 1}));
        expect_connected(ui, false);
        expect_at_rest(ui);
        if (interruption != Interruption::unplug) // a pty without its master cannot be opened again
            QVERIFY(ui.device_free());
        QCOMPARE(ui.far_end.bytes(), sent);
    }

    // The one update at the machine's own clock: a modal dialog held open for 4 s over the window
    // during an AUTO SYMBOL update stretches no pause, measured where the antenna unit listens.
    // The bounds allow for a loaded CI machine and for the delay with which the kernel hands bytes
    // to the far end (a late reading of one frame makes the pause before it look long and the one
    // after it short); the frames' own write times are checked never early by the engine and send
    // tests.
    void modal_dialog_stretches_no_pause_at_the_real_clock()
    {
        MonotonicClock monotonic;
        WindowFixture ui({}, {}, &monotonic);
        ui.perform(ui.connect_steps() + autosym_steps);
        QDialog dialog(ui.window.get());
        QTimer::singleShot(100, &dialog, [&] {
            QTimer::singleShot(4000, &dialog, &QDialog::accept);
            dialog.exec();
        });
        ui.perform({"cmdSend"});
        QTRY_COMPARE_WITH_TIMEOUT(status_of(ui), completed_text, 30000);

        QCOMPARE(ui.far_end.bytes(), autosym_wire);
        const std::vector<int> ticks{150, 220, 150, 240, 150, 260, 150, 280, 150};
        const auto arrivals = ui.far_end.frame_arrivals(24);
        QStringList faults;
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            const double error =
                std::chrono::duration<double, std::milli>(arrivals[i + 1] - arrivals[i]).count() -
                ticks[i] * 10.0;
            if (error < -10.0 || error > 40.0)
                faults << QString("pause %1 is %2 ms off").arg(i).arg(error);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join("; ")));
    }
};

QTEST_MAIN(FrmMainLineTest)
#include "frm_main_line_test.moc"
