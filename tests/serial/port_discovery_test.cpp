#include <QTest>

#include "failure.h"
#include "port_discovery.h"
#include "qt_device_inventory.h"

using namespace tervalink;

namespace test {

// Device names as a platform inventory would give them; or a failure when asked.
struct FakeInventory : DeviceInventory {
    std::vector<InventoryDevice> devices() override { return failure ? throw Failure(*failure) : listed; }
    std::vector<InventoryDevice> listed;
    std::optional<std::string> failure;
};

} // namespace test

namespace {

InventoryDevice named_device(const std::string& display_name) { return {display_name, "/dev/x", "adapter"}; }

InventoryDevice unnamed() { return {std::nullopt, "/dev/x", "adapter"}; }

std::vector<InventoryDevice> numbered_ports(int count)
{
    std::vector<InventoryDevice> devices;
    for (int n = 1; n <= count; ++n)
        devices.push_back(named_device("Port (COM" + std::to_string(n) + ")"));
    return devices;
}

QStringList entry_texts(const std::vector<PortEntry>& entries)
{
    QStringList texts;
    for (const PortEntry& entry : entries)
        texts << QString::fromStdString(entry.text);
    return texts;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<InventoryDevice>)

class PortDiscoveryTest : public QObject {
    Q_OBJECT
private slots:
    void port_entry_rule_data();
    void port_entry_rule();
    void scan_ports_cases_data();
    void scan_ports_cases();
    void select_appends_whole_names_after_earlier_ones();
    void more_than_100_names_fail();
    void an_inventory_that_fails_passes_its_failure_on();
    void entries_carry_device_path_and_description();
    void inventory_names_data();
    void inventory_names();
};

void PortDiscoveryTest::port_entry_rule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("entry"); // "-": no entry
    QTest::newRow("COM3") << "USB Serial Port (COM3)" << "COM 3";
    QTest::newRow("redirected") << "Bridge (COM5->COM6)" << "COM 5->COM6";
    QTest::newRow("empty number") << "Odd (COM)" << "COM ";
    QTest::newRow("(R) before the reference") << "Prolific(R) USB (COM3)" << "COM 3";
    QTest::newRow("first reference wins") << "A (COM7) B (COM8)" << "COM 7";
    QTest::newRow("no closing bracket") << "Broken (COM4" << "-";
    QTest::newRow("bracket only before") << "X) (COM4" << "-";
    QTest::newRow("lower case") << "Port (com3)" << "-";
    QTest::newRow("blank inside") << "Port ( COM3)" << "-";
}

void PortDiscoveryTest::port_entry_rule()
{
    QFETCH(QString, name);
    QFETCH(QString, entry);
    QCOMPARE(QString::fromStdString(port_entry(name.toStdString()).value_or("-")), entry);
}

void PortDiscoveryTest::scan_ports_cases_data()
{
    QTest::addColumn<std::vector<InventoryDevice>>("devices");
    QTest::addColumn<int>("port_count");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("no serial port")
        << std::vector{named_device("Keyboard"), named_device("Port (com3)")} << 0 << QStringList{};
    QTest::newRow("inventory order, unnamed skipped")
        << std::vector{named_device("B (COM9)"), unnamed(), named_device("Disk"),
                       named_device("A (COM2)")}
        << 2 << QStringList{"COM 9", "COM 2"};
    QTest::newRow("counted but no entry")
        << std::vector{named_device("Broken (COM4"), named_device("Good (COM5)")} << 2
        << QStringList{"COM 5"};
    QStringList hundred;
    for (int n = 1; n <= 100; ++n)
        hundred << QString("COM %1").arg(n);
    QTest::newRow("exactly 100") << numbered_ports(100) << 100 << hundred;
}

void PortDiscoveryTest::scan_ports_cases()
{
    QFETCH(std::vector<InventoryDevice>, devices);
    QFETCH(int, port_count);
    QFETCH(QStringList, entries);
    test::FakeInventory inventory;
    inventory.listed = devices;
    PortNames names;
    names.port_count = 42; // stale from an earlier scan
    const auto found = scan_ports(inventory, names);
    QCOMPARE(names.port_count, port_count);
    QCOMPARE(entry_texts(found), entries);
}

void PortDiscoveryTest::select_appends_whole_names_after_earlier_ones()
{
    test::FakeInventory inventory;
    inventory.listed = {named_device("Keyboard"), named_device("Prolific(R) USB (COM3) v2"),
                        named_device("X (COM")};
    PortNames names;
    select_serial_port(inventory, names);
    select_serial_port(inventory, names);
    QCOMPARE(names.port_count, 4);
    QCOMPARE(names.port_names[1], std::string("X (COM"));
    QCOMPARE(names.port_names[2], std::string("Prolific(R) USB (COM3) v2"));
}

void PortDiscoveryTest::more_than_100_names_fail()
{
    test::FakeInventory inventory;
    inventory.listed = numbered_ports(101);
    PortNames names;
    try {
        scan_ports(inventory, names);
        QFAIL("101 names were accepted");
    } catch (const Failure& failure) {
        QCOMPARE(failure.what(), "Subscript out of range: more than 100 serial ports were found; "
                                 "unplug the adapters you do not need and scan again");
    }
    QCOMPARE(names.port_count, 100); // the count never points past the names it holds
}

void PortDiscoveryTest::an_inventory_that_fails_passes_its_failure_on()
{
    test::FakeInventory inventory;
    inventory.failure = "The device list cannot be read";
    PortNames names;
    QVERIFY_THROWS_EXCEPTION(Failure, scan_ports(inventory, names));
    QVERIFY_THROWS_EXCEPTION(Failure, select_serial_port(inventory, names));
}

void PortDiscoveryTest::entries_carry_device_path_and_description()
{
    test::FakeInventory inventory;
    inventory.listed = {{"FT232R USB UART (COM100)", "/dev/ttyUSB0", "FT232R USB UART"},
                        {"Broken (COM", "/dev/ttyUSB1", "Broken"},
                        {"CDC (COM200)", "/dev/ttyACM0", "CDC"}};
    PortNames names;
    const auto found = scan_ports(inventory, names);
    QCOMPARE(found.size(), std::size_t{2});
    QCOMPARE(found[0].description, std::string("FT232R USB UART"));
    QCOMPARE(found[1].text, std::string("COM 200"));
    QCOMPARE(found[1].device_path, std::string("/dev/ttyACM0"));
}

void PortDiscoveryTest::inventory_names_data()
{
    QTest::addColumn<QString>("port_name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("display_name"); // empty: not listed
    // Which device gets which number is pinned in the device naming tests.
    QTest::newRow("USB adapter") << "ttyUSB0" << "FT232R USB UART" << "FTDI"
                                 << "FT232R USB UART (COM100)";
    QTest::newRow("manufacturer only") << "ttyACM3" << "" << "Arduino" << "Arduino (COM203)";
    QTest::newRow("neither") << "ttyS0" << "" << "" << "Serial port (COM1)";
    QTest::newRow("outside the families") << "ttyUSB100" << "X" << "" << "";
    QTest::newRow("windows keeps the port name") << "COM3" << "USB Serial Port" << ""
                                                 << "USB Serial Port (COM3)";
}

void PortDiscoveryTest::inventory_names()
{
    QFETCH(QString, port_name);
    QFETCH(QString, description);
    QFETCH(QString, manufacturer);
    QFETCH(QString, display_name);
    const std::string name = port_name.toStdString();
    const std::string location = "/dev/" + name;
    const std::string description_text = description.toStdString();
    const std::string manufacturer_text = manufacturer.toStdString();
    const SerialDeviceFacts facts{name, location, description_text, manufacturer_text};
    const auto device = name.starts_with("COM")
                            ? std::optional<InventoryDevice>(windows_inventory_device(facts))
                            : linux_inventory_device(facts);
    QCOMPARE(QString::fromStdString(device ? device->display_name.value() : ""), display_name);
    if (device)
        QCOMPARE(device->device_path, location);
}

QTEST_GUILESS_MAIN(PortDiscoveryTest)
#include "port_discovery_test.moc"
