#include <grp.h>
#include <unistd.h>

#include <sys/stat.h>

#include <QTemporaryDir>
#include <QTest>

#include "device_naming.h"
#include "failure.h"
#include "serial_line.h"
#include "serial_port_open.h"

using namespace tervalink;

class PortNamingTest : public QObject {
    Q_OBJECT
private slots:
    void port_number_from_text_data();
    void port_number_from_text();
    void device_path_for_port_data();
    void device_path_for_port();
    void family_rule_round_trips();
    void names_outside_the_families_get_no_number();
    void open_failure_descriptions_data();
    void open_failure_descriptions();
    void permission_of_a_real_node();
};

void PortNamingTest::port_number_from_text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port"); // -99999: a failure
    // The number itself is read like any number text (core number tests): here the prefix rule
    // and the 16-bit range.
    QTest::newRow("COM 2.5 to even") << "COM 2.5" << 2;
    QTest::newRow("COM 3.5 to even") << "COM 3.5" << 4;
    QTest::newRow("COM 107") << "COM 107" << 107;
    QTest::newRow("nothing after the prefix") << "COM " << 0;
    QTest::newRow("four characters, no blank") << "COM1" << 0;
    QTest::newRow("lowest") << "COM -32768" << -32768;
    QTest::newRow("highest") << "COM 32767" << 32767;
    QTest::newRow("rounds past the highest") << "COM 32767.5" << -99999;
    QTest::newRow("beyond double") << "COM 1e999" << -99999;
    QTest::newRow("COM alone") << "COM" << -99999;
    QTest::newRow("empty") << "" << -99999;
    // Four characters, not four bytes: the prefix may be typed with umlauts.
    QTest::newRow("multibyte prefix") << QString::fromUtf8("ÄÖÜ 5") << 5;
    QTest::newRow("three multibyte characters") << QString::fromUtf8("ÄÖÜ") << -99999;
}

void PortNamingTest::port_number_from_text()
{
    QFETCH(QString, text);
    QFETCH(int, port);
    const std::string utf8 = text.toStdString();
    if (port == -99999) {
        QVERIFY_THROWS_EXCEPTION(Failure, tervalink::port_number_from_text(utf8));
        return;
    }
    QCOMPARE(int(tervalink::port_number_from_text(utf8)), port);
}

void PortNamingTest::device_path_for_port_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("path"); // empty: names no port
    QTest::newRow("1") << 1 << "/dev/ttyS0";
    QTest::newRow("99") << 99 << "/dev/ttyS98";
    QTest::newRow("100") << 100 << "/dev/ttyUSB0";
    QTest::newRow("200") << 200 << "/dev/ttyACM0";
    QTest::newRow("300") << 300 << "/dev/ttyAMA0";
    QTest::newRow("400") << 400 << "/dev/rfcomm0";
    QTest::newRow("499") << 499 << "/dev/rfcomm99";
    QTest::newRow("0") << 0 << "";
    QTest::newRow("500") << 500 << "";
}

void PortNamingTest::device_path_for_port()
{
    QFETCH(int, port);
    QFETCH(QString, path);
    const auto number = static_cast<std::int16_t>(port);
    if (path.isEmpty()) {
        try {
            tervalink::device_path_for_port(number);
            QFAIL("a port number outside the families named a device");
        } catch (const Failure& failure) {
            const std::string expected = "COM " + std::to_string(port) + " names no port";
            QVERIFY(std::string(failure.what()).starts_with(expected));
        }
        return;
    }
    QCOMPARE(QString::fromStdString(tervalink::device_path_for_port(number)), path);
    QCOMPARE(QString::fromStdString(tervalink::device_path_for_port(number, "/tmp/devs")),
             QString(path).replace("/dev", "/tmp/devs"));
}

void PortNamingTest::family_rule_round_trips()
{
    // Discovery and CONNECT must agree on every number, or COM n would open another adapter.
    for (int port = 1; port <= 499; ++port) {
        const std::string path = tervalink::device_path_for_port(static_cast<std::int16_t>(port));
        const std::string name = path.substr(std::string("/dev/").size());
        QCOMPARE(tervalink::port_number_for_device(name).value_or(0), port);
    }
}

void PortNamingTest::names_outside_the_families_get_no_number()
{
    for (const char* name : {"ttyS99", "ttyUSB100", "ttyUSB", "ttyUSB07", "ttyS1a", "ttyUSB-1",
                             "ttySAC0", "pts/3"})
        QVERIFY2(!tervalink::port_number_for_device(name), name);
}

void PortNamingTest::open_failure_descriptions_data()
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
    QTest::newRow("other") << int(QSerialPort::OpenError) << true << "dialout" << 0660 << false
                           << false << label + "Input/output error";
}

void PortNamingTest::open_failure_descriptions()
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
void PortNamingTest::permission_of_a_real_node()
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

QTEST_GUILESS_MAIN(PortNamingTest)
#include "port_naming_test.moc"
