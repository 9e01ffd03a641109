// How a port that cannot be opened is described: in use, missing, or a permission problem named
// by the device's own group and what the user can do about it.
#include <grp.h>
#include <unistd.h>

#include <sys/stat.h>

#include <QTemporaryDir>
#include <QTest>

#include "device_naming.h"
#include "serial_port_open.h"

using namespace tervalink;

class SerialPortOpenTest : public QObject {
    Q_OBJECT
private slots:
    void open_failure_descriptions_data();
    void open_failure_descriptions();
    void permission_of_a_real_node();
};

void SerialPortOpenTest::open_failure_descriptions_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("denied"); // this user may not read and write the device
    QTest::addColumn<QString>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<bool>("in_session");
    QTest::addColumn<QString>("description");
    const QString label = "Cannot open COM 100 (/dev/ttyUSB0): ";
    const int busy = QSerialPort::PermissionError;
    QTest::newRow("in use") << busy << false << "dialout" << 0660 << true << true
                            << label + "it is in use by another program";
    QTest::newRow("not in the group")
        << busy << true << "dialout" << 0660 << false << false
        << label + "permission denied; the device belongs to group dialout: add your user to it "
                   "(sudo usermod -aG dialout tech) and log in again";
    QTest::newRow("another group")
        << busy << true << "uucp" << 0660 << false << false
        << label + "permission denied; the device belongs to group uucp: add your user to it "
                   "(sudo usermod -aG uucp tech) and log in again";
    QTest::newRow("added, not logged in again")
        << busy << true << "dialout" << 0660 << true << false
        << label + "permission denied; your user is in group dialout, but this session started "
                   "before it was added: log out and in again";
    QTest::newRow("in the group already") << busy << true << "dialout" << 0660 << true << true
                                          << label + "permission denied";
    QTest::newRow("group unknown") << busy << true << "" << 0660 << false << false
                                   << label + "permission denied";
    QTest::newRow("group may not write") << busy << true << "dialout" << 0640 << false << false
                                         << label + "permission denied";
    QTest::newRow("missing") << int(QSerialPort::DeviceNotFoundError) << false << "" << 0 << false
                             << false << label + "no such device";
    QTest::newRow("other") << int(QSerialPort::OpenError) << true << "dialout" << 0660 << false
                           << false << label + "Input/output error";
}

void SerialPortOpenTest::open_failure_descriptions()
{
    QFETCH(int, error);
    QFETCH(bool, denied);
    QFETCH(QString, group);
    QFETCH(int, mode);
    QFETCH(bool, listed);
    QFETCH(bool, in_session);
    QFETCH(QString, description);
    std::optional<DevicePermission> permission;
    if (denied)
        permission = DevicePermission{group.toStdString(), static_cast<unsigned>(mode), "tech",
                                      listed, in_session};
    const std::string text =
        describe_open_failure(port_label(100, "/dev/ttyUSB0"),
                              static_cast<QSerialPort::SerialPortError>(error), permission,
                              "Input/output error");
    QCOMPARE(QString::fromStdString(text), description);
}

// The group and mode come from the node itself: a file given group dialout and mode 0660, as
// udev gives a USB adapter. root is in no such group by default.
void SerialPortOpenTest::permission_of_a_real_node()
{
    if (::geteuid() != 0)
        QSKIP("giving a file another group needs root");
    const group* dialout = ::getgrnam("dialout");
    QVERIFY(dialout != nullptr);
    QTemporaryDir folder;
    const std::string node = folder.filePath("ttyUSB0").toStdString();
    QVERIFY(QFile(QString::fromStdString(node)).open(QIODevice::WriteOnly));
    QCOMPARE(::chown(node.c_str(), static_cast<uid_t>(-1), dialout->gr_gid), 0);
    QCOMPARE(::chmod(node.c_str(), 0660), 0);

    const DevicePermission found = look_up_device_permission(node);
    QCOMPARE(found.group, std::string("dialout"));
    QCOMPARE(found.mode, 0660u);
    QCOMPARE(found.user, std::string("root"));
    QVERIFY(!found.user_listed);
    QVERIFY(!found.in_session);
    QCOMPARE(describe_open_failure(port_label(100, "/dev/ttyUSB0"), QSerialPort::PermissionError,
                                   found, ""),
             std::string("Cannot open COM 100 (/dev/ttyUSB0): permission denied; the device belongs "
                         "to group dialout: add your user to it (sudo usermod -aG dialout root) "
                         "and log in again"));
    QCOMPARE(look_up_device_permission(folder.filePath("missing").toStdString()).group,
             std::string());
}

QTEST_GUILESS_MAIN(SerialPortOpenTest)
#include "serial_port_open_test.moc"
