#include <QTest>

#include "failure.h"
#include "port_discovery.h"
#include "qt_device_inventory.h"

using namespace tervalink;

namespace {

class FakeInventory : public DeviceInventory {
public:
    explicit FakeInventory(std::vector<InventoryDevice> devices) : devices_(std::move(devices)) {}
    std::vector<InventoryDevice> devices() override { return devices_; }

private:
    std::vector<InventoryDevice> devices_;
};

class BrokenInventory : public DeviceInventory {
public:
    std::vector<InventoryDevice> devices() override
    {
        throw Failure("The device list cannot be read");
    }
};

InventoryDevice named(const std::string& name)
{
    return {name, "/dev/x", "adapter"};
}

InventoryDevice unnamed()
{
    return {std::nullopt, "/dev/x", "adapter"};
}

std::vector<InventoryDevice> numbered_ports(int count)
{
    std::vector<InventoryDevice> devices;
    for (int n = 1; n <= count; ++n)
        devices.push_back(named("Port (COM" + std::to_string(n) + ")"));
    return devices;
}

QStringList numbered_entries(int count)
{
    QStringList texts;
    for (int n = 1; n <= count; ++n)
        texts << QString("COM %1").arg(n);
    return texts;
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
    void select_stores_names_whole_after_earlier_ones();
    void more_than_100_names_fail();
    void an_inventory_that_fails_passes_its_failure_on();
    void entries_carry_device_path_and_description();
    void linux_names_data();
    void linux_names();
    void windows_name_shows_the_port_name();
};

void PortDiscoveryTest::port_entry_rule_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("has_entry");
    QTest::addColumn<QString>("entry");
    QTest::newRow("COM3") << "USB Serial Port (COM3)" << true << "COM 3";
    QTest::newRow("redirected") << "Bridge (COM5->COM6)" << true << "COM 5->COM6";
    QTest::newRow("empty number") << "Odd (COM)" << true << "COM ";
    QTest::newRow("(R) before the reference") << "Prolific(R) USB (COM3)" << true << "COM 3";
    QTest::newRow("first reference wins") << "A (COM7) B (COM8)" << true << "COM 7";
    QTest::newRow("no closing bracket") << "Broken (COM4" << false << "";
    QTest::newRow("bracket only before") << "X) (COM4" << false << "";
    QTest::newRow("lower case") << "Port (com3)" << false << "";
    QTest::newRow("blank inside") << "Port ( COM3)" << false << "";
}

void PortDiscoveryTest::port_entry_rule()
{
    QFETCH(QString, name);
    QFETCH(bool, has_entry);
    QFETCH(QString, entry);
    const auto result = port_entry(name.toStdString());
    QCOMPARE(result.has_value(), has_entry);
    if (has_entry)
        QCOMPARE(QString::fromStdString(*result), entry);
}

void PortDiscoveryTest::scan_ports_cases_data()
{
    QTest::addColumn<std::vector<InventoryDevice>>("devices");
    QTest::addColumn<int>("port_count");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("no device") << std::vector<InventoryDevice>{} << 0 << QStringList{};
    QTest::newRow("no serial port")
        << std::vector<InventoryDevice>{named("Keyboard"), named("Mouse")} << 0 << QStringList{};
    QTest::newRow("two in inventory order")
        << std::vector<InventoryDevice>{named("B (COM9)"), named("Disk"), named("A (COM2)")} << 2
        << QStringList{"COM 9", "COM 2"};
    QTest::newRow("unnamed devices skipped")
        << std::vector<InventoryDevice>{unnamed(), named("A (COM1)"), unnamed()} << 1
        << QStringList{"COM 1"};
    QTest::newRow("counted but no entry")
        << std::vector<InventoryDevice>{named("Broken (COM4"), named("Good (COM5)")} << 2
        << QStringList{"COM 5"};
    QTest::newRow("lower case ignored")
        << std::vector<InventoryDevice>{named("Port (com3)"), named("Port (COM3)")} << 1
        << QStringList{"COM 3"};
    QTest::newRow("exactly 100") << numbered_ports(100) << 100 << numbered_entries(100);
}

void PortDiscoveryTest::scan_ports_cases()
{
    QFETCH(std::vector<InventoryDevice>, devices);
    QFETCH(int, port_count);
    QFETCH(QStringList, entries);
    FakeInventory inventory(devices);
    PortNames names;
    names.port_count = 42; // stale from an earlier scan
    const auto found = scan_ports(inventory, names);
    QCOMPARE(names.port_count, port_count);
    QCOMPARE(entry_texts(found), entries);
}

void PortDiscoveryTest::select_stores_names_whole_after_earlier_ones()
{
    FakeInventory inventory({named("Keyboard"), named("Prolific(R) USB (COM3) v2"), named("X (COM")});
    PortNames names;
    select_serial_port(inventory, names);
    select_serial_port(inventory, names);
    QCOMPARE(names.port_count, 4);
    QCOMPARE(names.port_names[0], std::string("Prolific(R) USB (COM3) v2"));
    QCOMPARE(names.port_names[1], std::string("X (COM"));
    QCOMPARE(names.port_names[2], std::string("Prolific(R) USB (COM3) v2"));
}

void PortDiscoveryTest::more_than_100_names_fail()
{
    FakeInventory inventory(numbered_ports(101));
    PortNames names;
    try {
        scan_ports(inventory, names);
        QFAIL("101 names were accepted");
    } catch (const Failure& failure) {
        QVERIFY(std::string(failure.what()).starts_with("Subscript out of range"));
    }
    // The count never points past the names it can hold.
    QCOMPARE(names.port_count, 100);
}

void PortDiscoveryTest::an_inventory_that_fails_passes_its_failure_on()
{
    BrokenInventory inventory;
    PortNames names;
    QVERIFY_THROWS_EXCEPTION(Failure, scan_ports(inventory, names));
    QVERIFY_THROWS_EXCEPTION(Failure, select_serial_port(inventory, names));
}

void PortDiscoveryTest::entries_carry_device_path_and_description()
{
    FakeInventory inventory({{"FT232R USB UART (COM100)", "/dev/ttyUSB0", "FT232R USB UART"},
                             {"Broken (COM", "/dev/ttyUSB1", "Broken"},
                             {"CDC (COM200)", "/dev/ttyACM0", "CDC"}});
    PortNames names;
    const auto found = scan_ports(inventory, names);
    QCOMPARE(found.size(), std::size_t{2});
    QCOMPARE(found[0].device_path, std::string("/dev/ttyUSB0"));
    QCOMPARE(found[0].description, std::string("FT232R USB UART"));
    QCOMPARE(found[1].text, std::string("COM 200"));
    QCOMPARE(found[1].device_path, std::string("/dev/ttyACM0"));
}

void PortDiscoveryTest::linux_names_data()
{
    QTest::addColumn<QString>("port_name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("display_name"); // empty: not listed
    // Which device names get which number is pinned in the port naming tests.
    QTest::newRow("USB adapter") << "ttyUSB0" << "FT232R USB UART" << "FTDI"
                                 << "FT232R USB UART (COM100)";
    QTest::newRow("manufacturer only") << "ttyACM3" << "" << "Arduino" << "Arduino (COM203)";
    QTest::newRow("neither") << "ttyS0" << "" << "" << "Serial port (COM1)";
    QTest::newRow("outside the families") << "ttyUSB100" << "X" << "" << "";
}

void PortDiscoveryTest::linux_names()
{
    QFETCH(QString, port_name);
    QFETCH(QString, description);
    QFETCH(QString, manufacturer);
    QFETCH(QString, display_name);
    const std::string name = port_name.toStdString();
    const std::string location = "/dev/" + name;
    const std::string description_text = description.toStdString();
    const std::string manufacturer_text = manufacturer.toStdString();
    const auto device =
        linux_inventory_device({name, location, description_text, manufacturer_text});
    QCOMPARE(device.has_value(), !display_name.isEmpty());
    if (!device)
        return;
    QCOMPARE(QString::fromStdString(device->display_name.value()), display_name);
    QCOMPARE(device->device_path, location);
    // The name goes through the same filter and rule as on Windows.
    QCOMPARE(port_entry(*device->display_name)->substr(0, 4), std::string("COM "));
}

void PortDiscoveryTest::windows_name_shows_the_port_name()
{
    const auto device = windows_inventory_device({"COM3", "\\\\.\\COM3", "USB Serial Port", ""});
    QCOMPARE(device.display_name.value(), std::string("USB Serial Port (COM3)"));
    QCOMPARE(port_entry(*device.display_name).value(), std::string("COM 3"));
}

QTEST_GUILESS_MAIN(PortDiscoveryTest)
#include "port_discovery_test.moc"
