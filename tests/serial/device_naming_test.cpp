#include <QTest>

#include "device_naming.h"
#include "failure.h"

using namespace tervalink;

class DeviceNamingTest : public QObject {
    Q_OBJECT
private slots:
    void port_number_from_text_data();
    void port_number_from_text();
    void device_path_for_port_data();
    void device_path_for_port();
    void family_rule_round_trips();
    void names_outside_the_families_get_no_number();
};

namespace {

// The port number, or the failure's description.
QString port_or_failure(const std::string& text)
{
    try {
        return QString::number(tervalink::port_number_from_text(text));
    } catch (const Failure& failure) {
        return QString::fromStdString(failure.what());
    }
}

QString path_or_failure(int port, std::string_view root)
{
    try {
        return QString::fromStdString(device_path_for_port(static_cast<std::int16_t>(port), root));
    } catch (const Failure& failure) {
        return QString::fromStdString(failure.what());
    }
}

} // namespace

void DeviceNamingTest::port_number_from_text_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("port");
    const QString too_short = "The port box text \"%1\" holds no port number; pick a port from the "
                              "list or type one such as \"COM 100\"";
    const QString no_fit = "The port box text \"%1\" names no port: its number does not fit "
                           "-32768..32767";
    // The number itself is read like any number text (core number tests): here the prefix rule,
    // the rounding and the 16-bit range.
    QTest::newRow("2.5 to even") << "COM 2.5" << "2";
    QTest::newRow("3.5 to even") << "COM 3.5" << "4";
    QTest::newRow("nothing after the prefix") << "COM " << "0";
    QTest::newRow("four characters, no blank") << "COM1" << "0";
    QTest::newRow("lowest") << "COM -32768" << "-32768";
    QTest::newRow("highest") << "COM 32767" << "32767";
    QTest::newRow("rounds past the highest") << "COM 32767.5" << no_fit.arg("COM 32767.5");
    QTest::newRow("beyond double") << "COM 1e999" << no_fit.arg("COM 1e999");
    QTest::newRow("COM alone") << "COM" << too_short.arg("COM");
    // Four characters, not four bytes: the prefix may be typed with umlauts.
    QTest::newRow("multibyte prefix") << QString::fromUtf8("ÄÖÜ 5") << "5";
    QTest::newRow("three multibyte characters") << QString::fromUtf8("ÄÖÜ")
                                                << too_short.arg(QString::fromUtf8("ÄÖÜ"));
}

void DeviceNamingTest::port_number_from_text()
{
    QFETCH(QString, text);
    QFETCH(QString, port);
    QCOMPARE(port_or_failure(text.toStdString()), port);
}

void DeviceNamingTest::device_path_for_port_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("path");
    const QString families = " names no port: use COM 1-99 for /dev/ttyS0-98, COM 100-199 for "
                             "/dev/ttyUSB0-99, COM 200-299 for /dev/ttyACM0-99, COM 300-399 for "
                             "/dev/ttyAMA0-99 or COM 400-499 for /dev/rfcomm0-99";
    QTest::newRow("1") << 1 << "/root/ttyS0";
    QTest::newRow("99") << 99 << "/root/ttyS98";
    QTest::newRow("100") << 100 << "/root/ttyUSB0";
    QTest::newRow("200") << 200 << "/root/ttyACM0";
    QTest::newRow("300") << 300 << "/root/ttyAMA0";
    QTest::newRow("400") << 400 << "/root/rfcomm0";
    QTest::newRow("499") << 499 << "/root/rfcomm99";
    QTest::newRow("0") << 0 << "COM 0" + families;
    QTest::newRow("500") << 500 << "COM 500" + families;
}

void DeviceNamingTest::device_path_for_port()
{
    QFETCH(int, port);
    QFETCH(QString, path);
    QCOMPARE(path_or_failure(port, "/root"), path);
}

void DeviceNamingTest::family_rule_round_trips()
{
    // Discovery and CONNECT must agree on every number, or COM n would open another adapter.
    QCOMPARE(tervalink::device_path_for_port(107), std::string("/dev/ttyUSB7"));
    for (int port = 1; port <= 499; ++port) {
        const std::string path = tervalink::device_path_for_port(static_cast<std::int16_t>(port));
        QCOMPARE(port_number_for_device(path.substr(5)).value_or(0), port);
    }
}

void DeviceNamingTest::names_outside_the_families_get_no_number()
{
    for (const char* name : {"ttyS99", "ttyUSB100", "ttyUSB", "ttyUSB07", "ttyS1a", "ttyUSB-1",
                             "ttySAC0", "pts/3"})
        QVERIFY2(!port_number_for_device(name), name);
}

QTEST_GUILESS_MAIN(DeviceNamingTest)
#include "device_naming_test.moc"
