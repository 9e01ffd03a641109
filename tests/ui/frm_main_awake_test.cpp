// The window's update with the system's own sleep guard, on Linux: on private_system_bus.sh's bus,
// python3-dbusmock's logind lists Tervalink's sleep inhibitor during the update and none once it
// has completed or DISCONNECT has stopped it.
#include "logind_inhibitors_linux.h"
#include "window_fixture.h"

using namespace tervalink;
using namespace tervalink::test;

class FrmMainAwakeTest : public QObject {
    Q_OBJECT

private slots:
    void logind_lists_the_inhibitor_only_during_an_update()
    {
        for (const bool disconnect : {false, true}) {
            SystemSleepGuard system_guard;
            WindowFixture ui({}, {}, nullptr, true, &system_guard);
            QVERIFY(ui.send_held_in_pause(hotbird_tp2_steps, 3));
            QCOMPARE(logind_inhibitors(), std::vector<std::string>{"sleep:idle | Tervalink | Tervalink is "
                                                                   "sending an update to the antenna unit | block"});
            disconnect ? ui.perform({"CmdConnect"}) : ui.clock.release();
            QTRY_COMPARE(ui.texts({"lblSystem"}).front(),
                         QString(disconnect ? "Error occurred during updating. Please try again."
                                            : "Update has been completed."));
            QVERIFY(no_inhibitors_within_10_s());
        }
    }
};

QTEST_MAIN(FrmMainAwakeTest)
#include "frm_main_awake_test.moc"
