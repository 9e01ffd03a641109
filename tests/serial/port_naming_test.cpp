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
    QTest::addColumn<bool>("accessible");
    QTest::addColumn<QString>("description");
    const QString label = "Cannot open COM 107 (/dev/ttyUSB7): ";
    QTest::newRow("in use") << int(QSerialPort::PermissionError) << true
                            << label + "it is in use by another program";
    QTest::newRow("no permission") << int(QSerialPort::PermissionError) << false
                                   << label + "permission denied; add your user to the dialout group";
    QTest::newRow("other") << int(QSerialPort::OpenError) << true << label + "Input/output error";
}

void PortNamingTest::open_failure_descriptions()
{
    QFETCH(int, error);
    QFETCH(bool, accessible);
    QFETCH(QString, description);
    const std::string text =
        describe_open_failure(port_label(107, "/dev/ttyUSB7"),
                              static_cast<QSerialPort::SerialPortError>(error), accessible,
                              "Input/output error");
    QCOMPARE(QString::fromStdString(text), description);
}

QTEST_GUILESS_MAIN(PortNamingTest)
#include "port_naming_test.moc"
