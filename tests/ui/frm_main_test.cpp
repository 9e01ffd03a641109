// The window without a serial line: start state, layout, selection and tick rules through clicks,
// typing limits, import, CHECK DATA, port discovery and the tab order.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

#include "message_box_closer.h"
#include "window_fixture.h"

using namespace tervalink;
using namespace tervalink::test;

namespace {

const QStringList default_positions{"282", "235", "192",  "130", "48",  "3592", "3550",
                                    "90",  "42",  "3300", "1160", "950", "48"};

const QColor red(255, 0, 0);
const QColor black(0, 0, 0);

QString write_file(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// A well-formed data file: 39 TP lines and one auto line, each value telling where it belongs.
QByteArray full_data_file()
{
    QByteArray content;
    for (int line = 1; line <= 39; ++line) {
        const int index = line - 1;
        content += QStringLiteral("S%1,%2,%3,%4,%5,%6\r\n")
                       .arg(index)
                       .arg(1000 + index)
                       .arg(index)
                       .arg(11000 + index)
                       .arg(27500)
                       .arg(index % 2)
                       .toLatin1();
    }
    content += "22000,27500,30000,1000,2000,3000,4000,5000,6000,7000\r\n";
    return content;
}

QRect design_rect(int left, int top, int width, int height)
{
    const auto px = [](int twips) { return static_cast<int>(std::lround(twips / 15.0)); };
    return {px(left), px(top), px(left + width) - px(left), px(top + height) - px(top)};
}

QRect rect_on_window(QWidget* control, QWidget* window)
{
    return QRect(control->mapTo(window, QPoint(0, 0)), control->size());
}

// The width left for the caption beside the indicator of a check box or option.
int caption_room(QAbstractButton* button, QStyle::SubElement contents)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(contents, &option, button).width();
}

bool is_bold(QWidget* widget) { return widget->font().bold(); }

QColor caption_colour(QWidget* widget) { return widget->palette().color(QPalette::WindowText); }

} // namespace

class FrmMainTest : public QObject {
    Q_OBJECT

private slots:
    void start_state();
    void start_port_list_data();
    void start_port_list();
    void start_discovery_failure_is_shown_once_the_window_is_up();
    void scan_ports_data();
    void scan_ports();
    void control_geometry_data();
    void control_geometry();
    void fonts_alignment_and_captions_fit();
    void selection_and_ticks_through_clicks_data();
    void selection_and_ticks_through_clicks();
    void typing_keeps_character_limits_data();
    void typing_keeps_character_limits();
    void import_fills_the_table_and_clears_the_selection();
    void failing_import_leaves_the_table_untouched_data();
    void failing_import_leaves_the_table_untouched();
    void cancelled_dialog_changes_nothing();
    void check_data_lists_clashing_rows_in_the_hidden_list();
    void check_data_stops_at_an_overflow();
    void tab_order();
};

void FrmMainTest::start_state()
{
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    QTest::qWait(50);
    frmMain& window = fixture.window();

    QCOMPARE(window.windowTitle(), QStringLiteral("Tervalink V 1.34 (ZEPHLA)"));
    QCOMPARE(window.size(), QSize(1288, 515));
    QCOMPARE(window.minimumSize(), window.maximumSize());
    for (int k = 0; k < choice_count; ++k) {
        auto* option = fixture.find<QRadioButton>(indexed("opSat", k));
        QVERIFY(!option->isChecked());
        QVERIFY(!is_bold(option));
        QCOMPARE(caption_colour(option), black);
    }
    for (int s = 0; s < slot_count; ++s)
        QCOMPARE(fixture.find<QLineEdit>(indexed("txtPos", s))->text(), default_positions[s]);
    for (int i = 0; i < tp_row_count; ++i) {
        QVERIFY(!fixture.find<QCheckBox>(indexed("chTp", i))->isChecked());
        for (const char* box : {"txtNID", "txtFreq", "txtSym", "txtPol"})
            QVERIFY(fixture.find<QLineEdit>(indexed(box, i))->text().isEmpty());
    }
    for (int k = 0; k < auto_rate_count; ++k)
        QVERIFY(fixture.find<QLineEdit>(indexed("txtAutoSym", k))->text().isEmpty());

    QVERIFY(fixture.find<QLabel>("lblSystem")->text().isEmpty());
    auto* progress = fixture.find<QProgressBar>("pBar");
    QCOMPARE(progress->maximum(), 100);
    QCOMPARE(progress->value(), 100);
    QCOMPARE(fixture.find<QComboBox>("cboBurd")->currentText(), QStringLiteral("57600"));
    QCOMPARE(fixture.find<QComboBox>("cboBurd")->count(), 4);
    QVERIFY(!fixture.find<QPushButton>("cmdSend")->isEnabled());
    QCOMPARE(fixture.find<QPushButton>("CmdConnect")->text(), QStringLiteral("CONNECT"));
    QCOMPARE(fixture.find<QComboBox>("cboPort")->count(), 0);
    QVERIFY(fixture.find<QComboBox>("cboPort")->currentText().isEmpty());
    QVERIFY(!fixture.find<QPushButton>("cmdCheck")->isVisible());
    QVERIFY(!fixture.find<QListWidget>("List2")->isVisible());
    QVERIFY(boxes.shown().isEmpty());
}

void FrmMainTest::start_port_list_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("entries");
    QTest::newRow("no serial device") << QStringList{"PCI bridge", "Keyboard"} << QStringList{};
    QTest::newRow("two in inventory order")
        << QStringList{"USB Serial (COM1)", "Mouse", "Modem (COM4)"}
        << QStringList{"COM 1", "COM 4"};
}

void FrmMainTest::start_port_list()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, entries);
    WindowOptions options;
    for (const QString& name : names)
        options.devices.push_back(named_device(name.toStdString()));
    MessageBoxCloser boxes;
    WindowFixture fixture(std::move(options));
    auto* ports = fixture.find<QComboBox>("cboPort");
    QStringList listed;
    for (int n = 0; n < ports->count(); ++n)
        listed << ports->itemText(n);
    QCOMPARE(listed, entries);
    QCOMPARE(ports->currentText(), entries.value(0));
    if (!entries.isEmpty())
        QCOMPARE(ports->itemData(0, Qt::ToolTipRole).toString(),
                 QStringLiteral("/dev/ttyTEST - test adapter"));
    fixture.show();
    QTest::qWait(30);
    QVERIFY(boxes.shown().isEmpty());
}

void FrmMainTest::start_discovery_failure_is_shown_once_the_window_is_up()
{
    MessageBoxCloser boxes;
    WindowOptions options;
    options.inventory_failure = "The device list cannot be read";
    WindowFixture fixture(std::move(options));
    QTest::qWait(30);
    QVERIFY(boxes.shown().isEmpty()); // not before the window is shown

    fixture.show();
    QTRY_COMPARE(boxes.shown().size(), 1);
    QCOMPARE(boxes.shown().front().text, QStringLiteral("The device list cannot be read"));
    QCOMPARE(fixture.find<QComboBox>("cboPort")->count(), 0);
    QCOMPARE(fixture.find<QProgressBar>("pBar")->value(), 100);

    // The window stays usable: once the inventory answers, Scan Ports fills the list.
    fixture.inventory.failure.reset();
    fixture.inventory.listed = {named_device("USB Serial (COM5)")};
    click(fixture.find<QPushButton>("cmdScan"));
    QCOMPARE(fixture.find<QComboBox>("cboPort")->currentText(), QStringLiteral("COM 5"));
    QTest::qWait(30);
    QCOMPARE(boxes.shown().size(), 1);
}

void FrmMainTest::scan_ports_data()
{
    QTest::addColumn<int>("matching");
    QTest::addColumn<bool>("fails");
    QTest::addColumn<int>("listed");
    QTest::newRow("none") << 0 << false << 0;
    QTest::newRow("101 fail and leave the list empty") << 101 << true << 0;
}

void FrmMainTest::scan_ports()
{
    QFETCH(int, matching);
    QFETCH(bool, fails);
    QFETCH(int, listed);
    MessageBoxCloser boxes;
    WindowOptions options;
    options.devices = {named_device("Old (COM9)")};
    WindowFixture fixture(std::move(options));
    fixture.show();
    QCOMPARE(fixture.find<QComboBox>("cboPort")->currentText(), QStringLiteral("COM 9"));

    fixture.inventory.listed.clear();
    for (int n = 1; n <= matching; ++n)
        fixture.inventory.listed.push_back(named_device("Port (COM" + std::to_string(n) + ")"));
    click(fixture.find<QPushButton>("cmdScan"));

    auto* ports = fixture.find<QComboBox>("cboPort");
    QCOMPARE(ports->count(), listed);
    QCOMPARE(ports->currentText(), listed > 0 ? QStringLiteral("COM 1") : QString());
    QCOMPARE(boxes.shown().size(), fails ? 1 : 0);
    if (fails) {
        QCOMPARE(boxes.shown().front().title, QStringLiteral("Tervalink"));
        QCOMPARE(boxes.shown().front().icon, QMessageBox::NoIcon);
        QCOMPARE(boxes.shown().front().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!boxes.shown().front().text.isEmpty());
    }
}

void FrmMainTest::control_geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("expected"); // on the window, from the design's twips
    QTest::newRow("Frame1") << "Frame1" << design_rect(120, 120, 9495, 1695);
    QTest::newRow("cboPort") << "cboPort" << design_rect(960, 480, 1215, 315);
    QTest::newRow("cmdOpenSave") << "cmdOpenSave" << design_rect(4920, 360, 1695, 500);
    QTest::newRow("cmdSend") << "cmdSend" << design_rect(8280, 360, 1215, 500);
    QTest::newRow("pBar") << "pBar" << design_rect(960, 1080, 8535, 375);
    QTest::newRow("pic") << "pic" << design_rect(360, 1080, 500, 245);
    QTest::newRow("lblSystem") << "lblSystem" << design_rect(960, 1440, 8295, 255);
    QTest::newRow("Frame2 ASTRA 4S") << "Frame2_12" << design_rect(9720, 120, 4695, 1695);
    QTest::newRow("opSat ASTRA 2 first column")
        << "opSat_0" << design_rect(240, 1920, 1455, 495);
    QTest::newRow("opSat AB3") << "opSat_6" << design_rect(9960, 1920, 1095, 495);
    QTest::newRow("opSat USER 2") << "opSat_9" << design_rect(14760, 0, 1695, 495);
    QTest::newRow("opSat EUTELSAT 9A") << "opSat_7" << design_rect(9960, 3840, 1455, 495);
    QTest::newRow("txtPos HOTBIRD") << "txtPos_3" << design_rect(5160, 2880, 855, 360);
    QTest::newRow("chTp HOTBIRD TP2") << "chTp_16" << design_rect(6240, 2880, 735, 255);
    QTest::newRow("txtNID HOTBIRD TP2") << "txtNID_16" << design_rect(7080, 2880, 550, 315);
    QTest::newRow("txtFreq USER 4 TP3") << "txtFreq_37" << design_rect(17280, 5160, 550, 315);
    QTest::newRow("txtPol ASTRA 4S TP3") << "txtPol_38" << design_rect(13680, 1320, 550, 315);
    QTest::newRow("txtAutoSym 9") << "txtAutoSym_9" << design_rect(18480, 6960, 600, 285);
}

void FrmMainTest::control_geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, expected);
    WindowFixture fixture;
    auto* control = fixture.find<QWidget>(name);
    QCOMPARE(rect_on_window(control, &fixture.window()), expected);
}

void FrmMainTest::fonts_alignment_and_captions_fit()
{
    WindowFixture fixture;
    fixture.show();
    const QList<QWidget*> controls = fixture.window().findChildren<QWidget*>();
    int checked = 0;
    for (QWidget* control : controls) {
        if (control->objectName().isEmpty() || control->objectName().startsWith("qt_"))
            continue;
        const QString name = control->objectName();
        QCOMPARE(control->font().family(), QStringLiteral("Liberation Sans"));
        const double points = name.startsWith("txtPos") ? 9.75 : 8.25;
        QCOMPARE(control->font().pointSizeF(), points);
        const QFontMetrics metrics(control->font());
        if (auto* option = qobject_cast<QRadioButton*>(control))
            QVERIFY2(caption_room(option, QStyle::SE_RadioButtonContents) >=
                         metrics.horizontalAdvance(option->text()),
                     qPrintable(name));
        else if (auto* tick = qobject_cast<QCheckBox*>(control))
            QVERIFY2(caption_room(tick, QStyle::SE_CheckBoxContents) >=
                         metrics.horizontalAdvance(tick->text()),
                     qPrintable(name));
        else if (auto* button = qobject_cast<QPushButton*>(control))
            QVERIFY2(metrics.horizontalAdvance(button->text()) + 8 <= button->width(),
                     qPrintable(name));
        else if (auto* label = qobject_cast<QLabel*>(control))
            QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(), qPrintable(name));
        ++checked;
    }
    QCOMPARE(checked, 285); // every control of the design, each under its own name
    // The column header's text stands as designed, blanks included.
    QCOMPARE(fixture.find<QLabel>("Label1_7")->text(), QStringLiteral("  NID      FREQ    SYMB     POL"));
    QCOMPARE(fixture.find<QLabel>("Label1_6")->text(), QStringLiteral("POSITION"));
    QCOMPARE(fixture.find<QLabel>("Label2")->text(), QStringLiteral("Status :"));
    QCOMPARE(fixture.find<QLineEdit>("txtNID_0")->alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    QCOMPARE(fixture.find<QLineEdit>("txtAutoSym_4")->alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignRight);
    QCOMPARE(fixture.find<QLineEdit>("txtPol_20")->alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    QCOMPARE(fixture.find<QLineEdit>("txtPos_12")->alignment() & Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    QCOMPARE(fixture.find<QGroupBox>("Frame1")->title(), QStringLiteral("SYSTEM"));
    QVERIFY(is_bold(fixture.find<QGroupBox>("Frame1")));
    QCOMPARE(fixture.find<QGroupBox>("Frame2_4")->title(), QString(36, QLatin1Char(' ')));
}

void FrmMainTest::selection_and_ticks_through_clicks_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("selected");          // no_choice when none
    QTest::addColumn<QList<int>>("ticked");     // TP row indices
    QTest::addColumn<QList<int>>("emphasised"); // TP row indices with bold captions
    QTest::newRow("no tick without a selection") << QStringList{"chTp_16"} << no_choice
                                                 << QList<int>{} << QList<int>{};
    QTest::newRow("a row of the selected slot keeps its tick, another slot's is undone")
        << QStringList{"opSat_3", "chTp_16", "chTp_17"} << 3 << QList<int>{16}
        << QList<int>{3, 16, 29};
    QTest::newRow("unticking is always allowed")
        << QStringList{"opSat_3", "chTp_16", "chTp_16"} << 3 << QList<int>{}
        << QList<int>{3, 16, 29};
    QTest::newRow("AUTO SYMBOL allows no tick and emphasises no row")
        << QStringList{"opSat_13", "chTp_0", "chTp_12", "chTp_25", "chTp_38"} << 13
        << QList<int>{} << QList<int>{};
    QTest::newRow("a new selection clears every tick")
        << QStringList{"opSat_3", "chTp_3", "chTp_29", "opSat_5"} << 5 << QList<int>{}
        << QList<int>{5, 18, 31};
    QTest::newRow("clicking the selected option again keeps the ticks")
        << QStringList{"opSat_7", "chTp_20", "opSat_7"} << 7 << QList<int>{20}
        << QList<int>{7, 20, 33};
}

void FrmMainTest::selection_and_ticks_through_clicks()
{
    QFETCH(QStringList, steps);
    QFETCH(int, selected);
    QFETCH(QList<int>, ticked);
    QFETCH(QList<int>, emphasised);
    WindowFixture fixture;
    fixture.show();
    perform(fixture, steps);
    for (int k = 0; k < choice_count; ++k) {
        auto* option = fixture.find<QRadioButton>(indexed("opSat", k));
        const bool is_selected = k == selected;
        QCOMPARE(option->isChecked(), is_selected);
        QCOMPARE(is_bold(option), is_selected);
        QCOMPARE(caption_colour(option), is_selected ? red : black);
        QCOMPARE(is_bold(fixture.find<QGroupBox>(indexed("Frame2", k))), is_selected);
    }
    for (int i = 0; i < tp_row_count; ++i) {
        auto* tick = fixture.find<QCheckBox>(indexed("chTp", i));
        QCOMPARE(tick->isChecked(), ticked.contains(i));
        QCOMPARE(is_bold(tick), emphasised.contains(i));
    }
    // A bold group caption does not spread to the group's contents.
    QVERIFY(!is_bold(fixture.find<QLineEdit>("txtNID_16")));
    QVERIFY(!is_bold(fixture.find<QLabel>("Label1_6")));
}

void FrmMainTest::typing_keeps_character_limits_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("position holds 4") << "txtPos_0" << "12345" << "1234";
    QTest::newRow("NID holds 5") << "txtNID_0" << "123456" << "12345";
    QTest::newRow("FREQ holds 5") << "txtFreq_38" << "117781" << "11778";
    QTest::newRow("SYMB holds 5") << "txtSym_20" << "275001" << "27500";
    QTest::newRow("POL holds 1") << "txtPol_5" << "HV" << "H";
    QTest::newRow("auto rate holds 5") << "txtAutoSym_9" << "320001" << "32000";
}

void FrmMainTest::typing_keeps_character_limits()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    WindowFixture fixture;
    fixture.show();
    auto* edit = fixture.find<QLineEdit>(box);
    type_into(edit, typed);
    QCOMPARE(edit->text(), kept);
}

void FrmMainTest::import_fills_the_table_and_clears_the_selection()
{
    QTemporaryDir dir;
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    click(fixture.find<QRadioButton>("opSat_4"));
    click(fixture.find<QCheckBox>("chTp_17"));
    fixture.chosen_path = write_file(dir, "full.csv", full_data_file());

    click(fixture.find<QPushButton>("cmdOpenSave"));

    QCOMPARE(fixture.chooser_calls, 1);
    QVERIFY(boxes.shown().isEmpty());
    for (int s = 0; s < slot_count; ++s)
        QCOMPARE(fixture.find<QLineEdit>(indexed("txtPos", s))->text(), QString::number(1000 + s));
    for (int i = 0; i < tp_row_count; ++i) {
        QCOMPARE(fixture.find<QLineEdit>(indexed("txtNID", i))->text(), QString::number(i));
        QCOMPARE(fixture.find<QLineEdit>(indexed("txtFreq", i))->text(),
                 QString::number(11000 + i));
        QCOMPARE(fixture.find<QLineEdit>(indexed("txtSym", i))->text(), QStringLiteral("27500"));
        QCOMPARE(fixture.find<QLineEdit>(indexed("txtPol", i))->text(),
                 i % 2 == 1 ? QStringLiteral("H") : QStringLiteral("V"));
    }
    const QStringList rates{"22000", "27500", "30000", "1000", "2000",
                            "3000",  "4000",  "5000",  "6000", "7000"};
    for (int k = 0; k < auto_rate_count; ++k)
        QCOMPARE(fixture.find<QLineEdit>(indexed("txtAutoSym", k))->text(), rates[k]);
    // No choice stays selected; the tick and the group's frame emphasis stay as they were.
    auto* option = fixture.find<QRadioButton>("opSat_4");
    QVERIFY(!option->isChecked());
    QVERIFY(!is_bold(option));
    QCOMPARE(caption_colour(option), black);
    QVERIFY(!is_bold(fixture.find<QCheckBox>("chTp_17")));
    QVERIFY(fixture.find<QCheckBox>("chTp_17")->isChecked());
    QVERIFY(is_bold(fixture.find<QGroupBox>("Frame2_4")));
}

void FrmMainTest::failing_import_leaves_the_table_untouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("TP line with four commas") << QByteArray("S0,130,1,11200,27500\r\n") << true;
    QTest::newRow("empty line after 40 good ones") << full_data_file() + "\r\n" << true;
    QTest::newRow("auto line with eight commas")
        << full_data_file() + "1,2,3,4,5,6,7,8,9\r\n" << true;
    QTest::newRow("file does not exist") << QByteArray() << false;
}

void FrmMainTest::failing_import_leaves_the_table_untouched()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    QTemporaryDir dir;
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    click(fixture.find<QRadioButton>("opSat_1"));
    type_into(fixture.find<QLineEdit>("txtNID_1"), "77");
    fixture.chosen_path =
        exists ? write_file(dir, "bad.csv", content) : dir.filePath("missing.csv");

    click(fixture.find<QPushButton>("cmdOpenSave"));

    QCOMPARE(boxes.shown().size(), 1);
    QVERIFY(!boxes.shown().front().text.isEmpty());
    QCOMPARE(boxes.shown().front().title, QStringLiteral("Tervalink"));
    QCOMPARE(fixture.find<QLineEdit>("txtNID_1")->text(), QStringLiteral("77"));
    QCOMPARE(fixture.find<QLineEdit>("txtPos_0")->text(), QStringLiteral("282"));
    QVERIFY(fixture.find<QLineEdit>("txtNID_0")->text().isEmpty());
    QVERIFY(fixture.find<QLineEdit>("txtAutoSym_0")->text().isEmpty());
    QVERIFY(fixture.find<QRadioButton>("opSat_1")->isChecked());
}

void FrmMainTest::cancelled_dialog_changes_nothing()
{
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    click(fixture.find<QRadioButton>("opSat_2"));
    click(fixture.find<QPushButton>("cmdOpenSave"));
    QCOMPARE(fixture.chooser_calls, 1);
    QVERIFY(fixture.find<QRadioButton>("opSat_2")->isChecked());
    QCOMPARE(fixture.find<QLineEdit>("txtPos_2")->text(), QStringLiteral("192"));
    QVERIFY(boxes.shown().isEmpty());
}

// Slot 3 row 1 with FREQ 10787 has 0x23 as the frequency's low byte, a start marker in the frame.
// USER 1's second row clashes from the start: slot 8, row 1 and position 42 give the checksum 0x23.
void FrmMainTest::check_data_lists_clashing_rows_in_the_hidden_list()
{
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    auto* list = fixture.find<QListWidget>("List2");
    auto* check = fixture.find<QPushButton>("cmdCheck");
    list->addItem("left from before");
    type_into(fixture.find<QLineEdit>("txtNID_16"), "1");
    type_into(fixture.find<QLineEdit>("txtFreq_16"), "10787");
    type_into(fixture.find<QLineEdit>("txtSym_16"), "27500");
    type_into(fixture.find<QLineEdit>("txtPol_16"), "V");
    type_into(fixture.find<QLineEdit>("txtFreq_12"), "10787"); // slot 12, row 0
    type_into(fixture.find<QLineEdit>("txtFreq_28"), "10787"); // slot 2, row 2

    check->click();
    QStringList lines;
    for (int n = 0; n < list->count(); ++n)
        lines << list->item(n)->text();
    QCOMPARE(lines, (QStringList{" 2  2", " 3  1", " 8  1", " 12  0"}));

    type_into(fixture.find<QLineEdit>("txtPos_3"), ""); // slot 3 is no longer examined
    check->click();
    lines.clear();
    for (int n = 0; n < list->count(); ++n)
        lines << list->item(n)->text();
    QCOMPARE(lines, (QStringList{" 2  2", " 8  1", " 12  0"}));
    QVERIFY(boxes.shown().isEmpty());
    QVERIFY(!list->isVisible());
    QVERIFY(!check->isVisible());
}

void FrmMainTest::check_data_stops_at_an_overflow()
{
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    type_into(fixture.find<QLineEdit>("txtFreq_0"), "10787");
    type_into(fixture.find<QLineEdit>("txtFreq_1"), "10787");
    type_into(fixture.find<QLineEdit>("txtNID_2"), "70000");
    type_into(fixture.find<QLineEdit>("txtFreq_15"), "10787"); // slot 2, row 1: not reached
    type_into(fixture.find<QLineEdit>("txtFreq_3"), "10787");  // slot 3: not reached

    fixture.find<QPushButton>("cmdCheck")->click();

    auto* list = fixture.find<QListWidget>("List2");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral(" 0  0"));
    QCOMPARE(list->item(1)->text(), QStringLiteral(" 1  0"));
    QCOMPARE(boxes.shown().size(), 1);
    QVERIFY(boxes.shown().front().text.contains("70000"));
}

void FrmMainTest::tab_order()
{
    WindowFixture fixture;
    QStringList expected{"cboPort", "cboBurd", "cmdScan", "cmdOpenSave", "CmdConnect", "cmdSend"};
    const std::array<int, slot_count> columns{0, 1, 2, 3, 4, 5, 12, 6, 7, 8, 9, 10, 11};
    for (int slot : columns)
        expected << indexed("opSat", slot);
    expected << "opSat_13";
    for (int slot : columns) {
        expected << indexed("txtPos", slot);
        for (int row = 0; row < 3; ++row)
            expected << indexed("chTp", row_index(slot, row));
        for (int row = 0; row < 3; ++row)
            for (const char* box : {"txtNID", "txtFreq", "txtSym", "txtPol"})
                expected << indexed(box, row_index(slot, row));
    }
    for (int k = 0; k < auto_rate_count; ++k)
        expected << indexed("txtAutoSym", k);

    const QSet<QString> designed(expected.begin(), expected.end());
    QStringList chain;
    QWidget* widget = fixture.find<QWidget>("cboPort");
    do {
        if (designed.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != fixture.find<QWidget>("cboPort"));
    QCOMPARE(chain, expected);

    for (const char* passive : {"Frame1", "Frame2_0", "Label1_0", "Label2", "lblSystem", "pBar",
                                "pic"})
        QCOMPARE(fixture.find<QWidget>(passive)->focusPolicy(), Qt::NoFocus);
}

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
