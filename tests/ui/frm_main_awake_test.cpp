// The window's update with the system's own sleep guard, on Linux: python3-dbusmock's logind on a
// bus of the test's own lists Tervalink's sleep inhibitor during the update, and none once it has
// completed or DISCONNECT has stopped it. With no system bus at all the update completes as
// before, and the window says nothing about it.
#include "private_system_bus.h"
#include "window_fixture.h"

using namespace tervalink;
using namespace tervalink::test;

namespace {

const QString completed_text = QStringLiteral("Update has been completed.");
const QString failed_text = QStringLiteral("Error occurred during updating. Please try again.");

} // namespace

class FrmMainAwakeTest : public QObject {
    Q_OBJECT

private slots:
    void logind_lists_the_inhibitor_only_during_an_update()
    {
        const PrivateSystemBus bus;
        SystemSleepGuard system_guard;
        for (const bool disconnect : {false, true}) {
            MessageBoxCloser boxes;
            WindowFixture ui({}, {}, nullptr, true, &system_guard);
            ui.perform(ui.connect_steps() + hotbird_tp2_steps);
            ui.clock.hold_at_pause(3);
            ui.perform({"cmdSend"});
            QVERIFY(ui.clock.wait_until_held());
            QCOMPARE(bus.inhibitors(), std::vector<std::string>{"sleep:idle | Tervalink | Tervalink is "
                                                                "sending an update to the antenna unit | block"});
            disconnect ? ui.perform({"CmdConnect"}) : ui.clock.release();
            QTRY_COMPARE(ui.texts({"lblSystem"}).front(), disconnect ? failed_text : completed_text);
            QVERIFY(bus.wait_until_no_inhibitors());
        }
    }

    void without_a_system_bus_the_update_completes_silently()
    {
        const SystemBusAddress missing("unix:path=/nonexistent/tervalink/system_bus_socket");
        SystemSleepGuard system_guard;
        MessageBoxCloser boxes;
        WindowFixture ui({}, {}, nullptr, true, &system_guard);
        ui.perform(ui.connect_steps() + hotbird_tp2_steps + QStringList{"cmdSend"});
        QTRY_COMPARE(ui.texts({"lblSystem"}).front(), completed_text);
        QVERIFY(ui.far_end.wait_for_bytes(45 * 15, std::chrono::seconds(10)));
        QVERIFY(boxes.texts.isEmpty());
    }
};

QTEST_MAIN(FrmMainAwakeTest)
#include "frm_main_awake_test.moc"
