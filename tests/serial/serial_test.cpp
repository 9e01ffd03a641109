// serial/: which device a port box text opens, what "Scan Ports" lists, the line's settings and
// bytes, and how opening, writing and CONNECT fail; pseudo-terminals stand in for the adapters.
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <functional>

#include <grp.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "connection.h"
#include "device_naming.h"
#include "failure.h"
#include "port_discovery.h"
#include "pseudo_terminal.h"
#include "qt_device_inventory.h"
#include "serial_line.h"
#include "serial_port_open.h"
#include "worked_frames.h"

using namespace tervalink;
using tervalink::test::PseudoTerminal;

namespace {

// What the action gives, or the description of its failure.
std::string failure_of(const std::function<std::string()>& action)
{
    try {
        return action();
    } catch (const Failure& failure) {
        return failure.what();
    }
}

// Device names as a platform inventory would give them; or a failure when asked.
struct FakeInventory : DeviceInventory {
    std::vector<InventoryDevice> devices() override { return failure ? throw Failure(*failure) : listed; }
    std::vector<InventoryDevice> listed;
    std::optional<std::string> failure;
};

InventoryDevice named(const std::string& name) { return {name, "/dev/x", "adapter"}; }

std::vector<InventoryDevice> numbered_ports(int count)
{
    std::vector<InventoryDevice> devices;
    for (int n = 1; n <= count; ++n)
        devices.push_back(named("Port (COM" + std::to_string(n) + ")"));
    return devices;
}

// A device folder holding one pseudo-terminal under the name of COM 107.
struct DeviceFolder {
    QTemporaryDir dir;
    PseudoTerminal far_end;
    std::string root = dir.path().toStdString();
    std::string com107 = root + "/ttyUSB7";

    DeviceFolder() { ::symlink(far_end.slave_path().c_str(), com107.c_str()); }
};

} // namespace

class SerialTest : public QObject {
    Q_OBJECT
private slots:
    void port_box_text_opens_a_device();
    void family_rule_round_trips();
    void port_entry_rule();
    void scan_ports_lists_entries_in_inventory_order_up_to_100();
    void inventory_names();
    void frames_arrive_byte_exact_one_per_write();
    void line_runs_57600_8n1_raw_without_flow_control();
    void port_in_use_fails_under_any_name();
    void writes_fail_on_a_closed_or_unplugged_port();
    void connect_and_disconnect();
    void open_failure_descriptions();
    void permission_of_a_real_node();
};

void SerialTest::port_box_text_opens_a_device()
{
    const QString too_short = "The port box text \"%1\" holds no port number; pick a port from the "
                              "list or type one such as \"COM 100\"";
    const QString no_fit = "The port box text \"%1\" names no port: its number does not fit "
                           "-32768..32767";
    const QString families = "COM %1 names no port: use COM 1-99 for /dev/ttyS0-98, COM 100-199 "
                             "for /dev/ttyUSB0-99, COM 200-299 for /dev/ttyACM0-99, COM 300-399 "
                             "for /dev/ttyAMA0-99 or COM 400-499 for /dev/rfcomm0-99";
    // The number itself is read like any number text (core number tests): here the four-character
    // prefix, the rounding half to even, the 16-bit range and the families.
    const std::pair<QString, QString> cases[] = {
        {"COM 1", "/r/ttyS0"},         {"COM 99", "/r/ttyS98"},      {"COM 100", "/r/ttyUSB0"},
        {"COM 200", "/r/ttyACM0"},     {"COM 300", "/r/ttyAMA0"},    {"COM 400", "/r/rfcomm0"},
        {"COM 499", "/r/rfcomm99"},    {"COM 500", families.arg(500)}, {"COM 2.5", "/r/ttyS1"},
        {"COM 3.5", "/r/ttyS3"},       {"COM ", families.arg(0)},    {"COM1", families.arg(0)},
        {"COM -32768", families.arg(-32768)}, {"COM 32767", families.arg(32767)},
        {"COM 32767.5", no_fit.arg("COM 32767.5")}, {"COM 1e999", no_fit.arg("COM 1e999")},
        {"COM", too_short.arg("COM")}, {"ÄÖÜ 5", "/r/ttyS4"}, {"ÄÖÜ", too_short.arg("ÄÖÜ")}};
    for (const auto& [text, expected] : cases)
        QCOMPARE(QString::fromStdString(failure_of([&] {
                     return device_path_for_port(port_number_from_text(text.toStdString()), "/r");
                 })),
                 expected);
}

void SerialTest::family_rule_round_trips()
{
    // Discovery and CONNECT must agree on every number, or COM n would open another adapter.
    QCOMPARE(device_path_for_port(107), std::string("/dev/ttyUSB7"));
    for (int port = 1; port <= 499; ++port) {
        const std::string path = device_path_for_port(static_cast<std::int16_t>(port));
        QCOMPARE(port_number_for_device(path.substr(5)).value_or(0), port);
    }
    for (const char* name : {"ttyS99", "ttyUSB100", "ttyUSB", "ttyUSB07", "ttyS1a", "ttyUSB-1",
                             "ttySAC0", "pts/3"})
        QVERIFY2(!port_number_for_device(name), name);
}

void SerialTest::port_entry_rule()
{
    const std::pair<const char*, const char*> cases[] = { // "-": no entry
        {"USB Serial Port (COM3)", "COM 3"}, {"Bridge (COM5->COM6)", "COM 5->COM6"},
        {"Odd (COM)", "COM "},               {"Prolific(R) USB (COM3)", "COM 3"},
        {"A (COM7) B (COM8)", "COM 7"},      {"Broken (COM4", "-"},
        {"X) (COM4", "-"},                   {"Port (com3)", "-"},
        {"Port ( COM3)", "-"}};
    for (const auto& [name, entry] : cases)
        QCOMPARE(port_entry(name).value_or("-"), std::string(entry));
}

void SerialTest::scan_ports_lists_entries_in_inventory_order_up_to_100()
{
    FakeInventory inventory;
    inventory.listed = {named("B (COM9) v2"), named("C (COM8)"), named("Disk"),
                        named("Port (com3)"), named("Broken (COM4"), named("A (COM2)")};
    PortNames names;
    names.port_count = 42; // stale from an earlier scan
    QCOMPARE(scan_ports(inventory, names).size(), std::size_t(3));
    // Rescanned after the second device lost its name: unnamed and non-serial devices are
    // skipped, a name without ")" counts but makes no entry.
    inventory.listed = {{"B (COM9) v2", "/dev/ttyUSB9", "B"}, {std::nullopt, "/dev/x", "adapter"},
                        named("Disk"), named("Port (com3)"), named("Broken (COM4"),
                        {"A (COM2)", "/dev/ttyS1", "A"}};
    QStringList entries;
    for (const PortEntry& entry : scan_ports(inventory, names))
        entries << QString::fromStdString(entry.text + " " + entry.device_path + " " +
                                          entry.description);
    QCOMPARE(entries, QStringList({"COM 9 /dev/ttyUSB9 B", "COM 2 /dev/ttyS1 A"}));
    QCOMPARE(names.port_count, 3);
    // Selecting again appends the whole names behind those already found.
    select_serial_port(inventory, names);
    QCOMPARE(names.port_count, 6);
    QCOMPARE(names.port_names[3], std::string("B (COM9) v2"));
    inventory.listed = numbered_ports(100);
    QCOMPARE(scan_ports(inventory, names).back().text, std::string("COM 100"));
    inventory.listed = numbered_ports(101);
    QCOMPARE(failure_of([&] { return scan_ports(inventory, names).at(0).text; }),
             std::string("Subscript out of range: more than 100 serial ports were found; unplug "
                         "the adapters you do not need and scan again"));
    QCOMPARE(names.port_count, 100); // the count never points past the names it holds
    inventory.failure = "The device list cannot be read";
    QCOMPARE(failure_of([&] { return scan_ports(inventory, names).at(0).text; }),
             *inventory.failure);
}

void SerialTest::inventory_names()
{
    // Which device gets which number is pinned above. Columns: port name, description,
    // manufacturer, the listed name ("" when not listed).
    const std::array<const char*, 4> cases[] = {
        {"ttyUSB0", "FT232R USB UART", "FTDI", "FT232R USB UART (COM100) /dev/ttyUSB0"},
        {"ttyACM3", "", "Arduino", "Arduino (COM203) /dev/ttyACM3"},
        {"ttyS0", "", "", "Serial port (COM1) /dev/ttyS0"},
        {"ttyUSB100", "X", "", ""},
        {"COM3", "USB Serial Port", "", "USB Serial Port (COM3) /dev/COM3"}};
    for (const auto& [port, description, manufacturer, listed] : cases) {
        const std::string name = port;
        const std::string location = "/dev/" + name;
        const SerialDeviceFacts facts{name, location, description, manufacturer};
        const auto device = name.starts_with("COM")
                                ? std::optional<InventoryDevice>(windows_inventory_device(facts))
                                : linux_inventory_device(facts);
        QCOMPARE(device ? *device->display_name + " " + device->device_path : "",
                 std::string(listed));
    }
}

void SerialTest::frames_arrive_byte_exact_one_per_write()
{
    // Line feeds, carriage returns, XON/XOFF and NUL must pass untouched on a raw line.
    const std::vector<std::uint8_t> control{0x23, 0x53, 0x0A, 0x0D, 0x11, 0x13, 0x00, 0xFF,
                                            0x7F, 0x03, 0x1A, 0x04, 0x08, 0x9A, 0x2A};
    PseudoTerminal far_end;
    SerialLine line;
    line.open_path(far_end.slave_path());
    for (const auto& frame : {control, test::autosym, control}) {
        line.write_frame(frame);
        // No event loop runs here: the frame must already be on the line, whole and alone.
        QCOMPARE(far_end.read_available(), frame);
    }
}

void SerialTest::line_runs_57600_8n1_raw_without_flow_control()
{
    PseudoTerminal far_end;
    SerialLine line;
    line.open_path(far_end.slave_path());
    termios settings{};
    QCOMPARE(::tcgetattr(far_end.master_fd(), &settings), 0);
    QCOMPARE(::cfgetospeed(&settings), speed_t(B57600));
    QCOMPARE(settings.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
    QCOMPARE(settings.c_iflag & (IXON | IXOFF), tcflag_t(0));
    QCOMPARE(settings.c_oflag & OPOST, tcflag_t(0));
}

void SerialTest::port_in_use_fails_under_any_name()
{
    DeviceFolder devices;
    SerialLine first(devices.root);
    first.set_port_number(107);
    first.open();
    SerialLine second(devices.root);
    second.set_port_number(107);
    QCOMPARE(failure_of([&] { second.open(); return "opened"; }),
             "Cannot open COM 107 (" + devices.com107 + "): it is in use by another program");
    QCOMPARE(failure_of([&] {
                 second.open_path(devices.far_end.slave_path());
                 return "opened";
             }),
             "Cannot open " + devices.far_end.slave_path() + ": it is in use by another program");
    QVERIFY(!second.is_open());
    first.close();
    second.open();
    QVERIFY(second.is_open());
}

void SerialTest::writes_fail_on_a_closed_or_unplugged_port()
{
    DeviceFolder devices;
    SerialLine line(devices.root);
    const std::vector<std::uint8_t> frame(15, 0x11);
    QCOMPARE(failure_of([&] { line.write_frame(frame); return "sent"; }),
             std::string("Cannot send to the antenna unit: the port is closed; press CONNECT and "
                         "start the update again"));
    line.set_port_number(107);
    line.open();
    devices.far_end.close_master();
    QCOMPARE(failure_of([&] { line.write_frame(frame); return "sent"; }),
             "Cannot send to COM 107 (" + devices.com107 + "): the device has gone (unplugged?)");
}

// One line through a sequence of CONNECT and DISCONNECT presses; ROOT is the device folder.
void SerialTest::connect_and_disconnect()
{
    // The caption pressed, the port box text, connected afterwards, the failure shown.
    const std::tuple<bool, const char*, bool, QString> presses[] = {
        {true, "COM 107", true, ""},
        {true, "COM 107", true, ""}, // the port still open from the first press is closed first
        {true, "COM 107.5", false, "Cannot open COM 108 (ROOT/ttyUSB8): no such device"},
        {true, "COM 107", true, ""},
        {true, "COM", false, "The port box text \"COM\" holds no port number; pick a port from the "
                             "list or type one such as \"COM 100\""},
        {true, "COM 107", true, ""},
        {false, "COM 107", false, ""}};
    DeviceFolder devices;
    SerialLine line(devices.root);
    for (const auto& [caption_is_connect, text, connected, failure] : presses) {
        const ConnectionOutcome outcome = toggle_connection(line, caption_is_connect, text);
        QCOMPARE(outcome.connected, connected);
        QCOMPARE(line.is_open(), connected);
        QCOMPARE(QString::fromStdString(outcome.failure.value_or("")),
                 QString(failure).replace("ROOT", QString::fromStdString(devices.root)));
    }
}

void SerialTest::open_failure_descriptions()
{
    const auto denied = [](const char* group, unsigned mode, bool listed, bool in_session) {
        return std::optional<DevicePermission>({group, mode, "tech", listed, in_session});
    };
    const auto busy = QSerialPort::PermissionError;
    // Qt's error, how the user stands towards the device when they may not use it, the reason.
    const std::tuple<QSerialPort::SerialPortError, std::optional<DevicePermission>, const char*>
        cases[] = {
        {busy, std::nullopt, "it is in use by another program"},
        {busy, denied("uucp", 0660, false, false),
         "permission denied; the device belongs to group uucp: add your user to it (sudo usermod "
         "-aG uucp tech) and log in again"},
        {busy, denied("dialout", 0660, true, false),
         "permission denied; your user is in group dialout, but this session started before it "
         "was added: log out and in again"},
        {busy, denied("dialout", 0660, true, true), "permission denied"},
        {busy, denied("", 0660, false, false), "permission denied"},
        {busy, denied("dialout", 0640, false, false), "permission denied"},
        {QSerialPort::DeviceNotFoundError, std::nullopt, "no such device"},
        {QSerialPort::OpenError, denied("dialout", 0660, false, false), "Input/output error"}};
    for (const auto& [error, denied_user, reason] : cases)
        QCOMPARE(describe_open_failure("COM 100 (/dev/ttyUSB0)", error, denied_user,
                                       "Input/output error"),
                 std::string("Cannot open COM 100 (/dev/ttyUSB0): ") + reason);
}

// The group and mode come from the node itself: a file given group dialout and mode 0660, as
// udev gives a USB adapter. root is in no such group by default.
void SerialTest::permission_of_a_real_node()
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
    QCOMPARE(found.mode, 0660u);
    QCOMPARE(permission_advice(found),
             std::string("permission denied; the device belongs to group dialout: add your user "
                         "to it (sudo usermod -aG dialout root) and log in again"));
    QCOMPARE(look_up_device_permission(folder.filePath("missing").toStdString()).group,
             std::string());
}

QTEST_GUILESS_MAIN(SerialTest)
#include "serial_test.moc"
