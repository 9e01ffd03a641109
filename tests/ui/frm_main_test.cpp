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

const QColor red(255, 0, 0);
const QColor black(0, 0, 0);

// A well-formed data file: 39 TP lines and one auto line, each value telling where it belongs.
QByteArray full_data_file()
{
    QByteArray content;
    for (int index = 0; index < 39; ++index)
        content += QStringLiteral("S%1,%2,%1,%3,27500,%4\r\n")
                       .arg(index)
                       .arg(1000 + index)
                       .arg(11000 + index)
                       .arg(index % 2)
                       .toLatin1();
    return content + "22000,27500,30000,1000,2000,3000,4000,5000,6000,7000\r\n";
}

QString write_file(const QTemporaryDir& dir, const QByteArray& content)
{
    const QString path = dir.filePath("data.csv");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QRect design_rect(int left, int top, int width, int height)
{
    const auto px = [](int twips) { return static_cast<int>(std::lround(twips / 15.0)); };
    return {px(left), px(top), px(left + width) - px(left), px(top + height) - px(top)};
}

// The width left for the caption beside the indicator of a check box or option.
int caption_room(QAbstractButton* button, QStyle::SubElement contents)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return button->style()->subElementRect(contents, &option, button).width();
}

QColor caption_colour(QWidget* widget) { return widget->palette().color(QPalette::WindowText); }

// The TP boxes row by row, then the auto rates.
QStringList table_texts(WindowFixture& fixture)
{
    QStringList texts;
    for (int i = 0; i < tp_row_count; ++i)
        for (const char* box : {"txtNID", "txtFreq", "txtSym", "txtPol"})
            texts << fixture.find<QLineEdit>(indexed(box, i))->text();
    for (int k = 0; k < auto_rate_count; ++k)
        texts << fixture.find<QLineEdit>(indexed("txtAutoSym", k))->text();
    return texts;
}

QStringList texts_of(QListWidget* list)
{
    QStringList lines;
    for (int n = 0; n < list->count(); ++n)
        lines << list->item(n)->text();
    return lines;
}

} // namespace

class FrmMainTest : public QObject {
    Q_OBJECT

private slots:
    void start_state();
    void discovery_failure_at_start_and_scan_ports();
    void layout_fonts_and_captions();
    void selection_and_ticks_through_clicks_data();
    void selection_and_ticks_through_clicks();
    void typing_keeps_character_limits();
    void import_fills_the_table_and_clears_the_selection();
    void failing_import_leaves_the_table_untouched_data();
    void failing_import_leaves_the_table_untouched();
    void check_data_lists_clashing_rows_in_the_hidden_list();
    void tab_order();
};

void FrmMainTest::start_state()
{
    MessageBoxCloser boxes;
    WindowOptions options;
    for (const char* name : {"USB Serial (COM1)", "Mouse", "Modem (COM4)"})
        options.devices.push_back(named_device(name));
    WindowFixture fixture(std::move(options));
    fixture.show();
    QTest::qWait(50);

    QCOMPARE(fixture.window().windowTitle(), QStringLiteral("Tervalink V 1.34 (ZEPHLA)"));
    QCOMPARE(fixture.window().size(), QSize(1288, 515));
    QCOMPARE(fixture.window().minimumSize(), fixture.window().maximumSize());
    QStringList positions;
    for (int s = 0; s < slot_count; ++s)
        positions << fixture.find<QLineEdit>(indexed("txtPos", s))->text();
    QCOMPARE(positions, (QStringList{"282", "235", "192", "130", "48", "3592", "3550", "90", "42",
                                     "3300", "1160", "950", "48"}));
    // Options and ticks start clear: the selection table's first row sees them so.
    for (const QString& box : table_texts(fixture))
        QVERIFY(box.isEmpty());
    QVERIFY(fixture.find<QLabel>("lblSystem")->text().isEmpty());
    QCOMPARE(fixture.find<QProgressBar>("pBar")->maximum(), 100);
    QCOMPARE(fixture.find<QProgressBar>("pBar")->value(), 100);
    QCOMPARE(fixture.find<QComboBox>("cboBurd")->currentText(), QStringLiteral("57600"));
    QVERIFY(!fixture.find<QPushButton>("cmdSend")->isEnabled());
    QCOMPARE(fixture.find<QPushButton>("CmdConnect")->text(), QStringLiteral("CONNECT"));
    auto* ports = fixture.find<QComboBox>("cboPort");
    QCOMPARE(ports->count(), 2);
    QCOMPARE(ports->itemText(1), QStringLiteral("COM 4"));
    QCOMPARE(ports->currentText(), QStringLiteral("COM 1"));
    QCOMPARE(ports->itemData(0, Qt::ToolTipRole).toString(),
             QStringLiteral("/dev/ttyTEST - test adapter"));
    QVERIFY(!fixture.find<QPushButton>("cmdCheck")->isVisible());
    QVERIFY(!fixture.find<QListWidget>("List2")->isVisible());
    QVERIFY(boxes.shown().isEmpty());
}

void FrmMainTest::discovery_failure_at_start_and_scan_ports()
{
    MessageBoxCloser boxes;
    WindowOptions options;
    options.inventory_failure = "The device list cannot be read";
    WindowFixture fixture(std::move(options));
    QTest::qWait(30);
    QVERIFY(boxes.shown().isEmpty()); // not before the window is shown
    fixture.show();
    QTRY_COMPARE(boxes.texts(), QStringList{"The device list cannot be read"});
    auto* ports = fixture.find<QComboBox>("cboPort");
    QCOMPARE(ports->count(), 0);

    // The window stays usable: once the inventory answers, Scan Ports fills the list.
    fixture.inventory.failure.reset();
    fixture.inventory.listed = {named_device("USB Serial (COM5)")};
    click(fixture.find<QPushButton>("cmdScan"));
    QCOMPARE(ports->currentText(), QStringLiteral("COM 5"));
    fixture.inventory.listed.clear();
    click(fixture.find<QPushButton>("cmdScan"));
    QCOMPARE(ports->count(), 0);
    QVERIFY(ports->currentText().isEmpty());
    QTest::qWait(30);
    QCOMPARE(boxes.shown().size(), 1);

    for (int n = 1; n <= 101; ++n) // one more than discovery accepts
        fixture.inventory.listed.push_back(named_device("Port (COM" + std::to_string(n) + ")"));
    click(fixture.find<QPushButton>("cmdScan"));
    QCOMPARE(ports->count(), 0);
    QCOMPARE(boxes.shown().size(), 2);
    QCOMPARE(boxes.shown().back().title, QStringLiteral("Tervalink"));
    QCOMPARE(boxes.shown().back().icon, QMessageBox::NoIcon);
    QVERIFY(!boxes.shown().back().text.isEmpty());
}

void FrmMainTest::layout_fonts_and_captions()
{
    WindowFixture fixture;
    fixture.show();
    const std::vector<std::pair<QString, QRect>> placed{ // from the design's twips
        {"Frame1", design_rect(120, 120, 9495, 1695)},
        {"cboPort", design_rect(960, 480, 1215, 315)},
        {"opSat_9", design_rect(14760, 0, 1695, 495)},
        {"chTp_16", design_rect(6240, 2880, 735, 255)},
        {"txtAutoSym_9", design_rect(18480, 6960, 600, 285)}};
    for (const auto& [name, expected] : placed) {
        auto* control = fixture.find<QWidget>(name);
        QCOMPARE(QRect(control->mapTo(&fixture.window(), QPoint(0, 0)), control->size()),
                 expected);
    }

    int checked = 0;
    for (QWidget* control : fixture.window().findChildren<QWidget*>()) {
        const QString name = control->objectName();
        if (name.isEmpty() || name.startsWith("qt_"))
            continue;
        QCOMPARE(control->font().family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(control->font().pointSizeF(), name.startsWith("txtPos") ? 9.75 : 8.25);
        const QFontMetrics metrics(control->font());
        bool fits = true;
        if (auto* option = qobject_cast<QRadioButton*>(control))
            fits = caption_room(option, QStyle::SE_RadioButtonContents) >=
                   metrics.horizontalAdvance(option->text());
        else if (auto* tick = qobject_cast<QCheckBox*>(control))
            fits = caption_room(tick, QStyle::SE_CheckBoxContents) >=
                   metrics.horizontalAdvance(tick->text());
        else if (auto* button = qobject_cast<QPushButton*>(control))
            fits = metrics.horizontalAdvance(button->text()) + 8 <= button->width();
        else if (auto* label = qobject_cast<QLabel*>(control))
            fits = metrics.horizontalAdvance(label->text()) <= label->width();
        QVERIFY2(fits, qPrintable(name));
        ++checked;
    }
    QCOMPARE(checked, 285); // every control of the design, each under its own name
    // The column header's text stands as designed, blanks included.
    QCOMPARE(fixture.find<QLabel>("Label1_7")->text(),
             QStringLiteral("  NID      FREQ    SYMB     POL"));
    QCOMPARE(fixture.find<QLabel>("Label2")->text(), QStringLiteral("Status :"));
    QCOMPARE(fixture.find<QGroupBox>("Frame1")->title(), QStringLiteral("SYSTEM"));
    QVERIFY(fixture.find<QGroupBox>("Frame1")->font().bold());
    const auto horizontal = [&](const char* name) {
        return fixture.find<QLineEdit>(name)->alignment() & Qt::AlignHorizontal_Mask;
    };
    QCOMPARE(horizontal("txtNID_0"), Qt::AlignRight);
    QCOMPARE(horizontal("txtAutoSym_4"), Qt::AlignRight);
    QCOMPARE(horizontal("txtPol_20"), Qt::AlignHCenter);
    QCOMPARE(horizontal("txtPos_12"), Qt::AlignHCenter);
}

void FrmMainTest::selection_and_ticks_through_clicks_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("selected");          // no_choice when none
    QTest::addColumn<QList<int>>("ticked");     // TP row indices
    QTest::addColumn<QList<int>>("emphasised"); // TP row indices with bold captions
    using Rows = QList<int>;
    QTest::newRow("no tick without a selection")
        << QStringList{"chTp_16"} << no_choice << Rows{} << Rows{};
    QTest::newRow("a row of the selected slot keeps its tick, another slot's is undone")
        << QStringList{"opSat_3", "chTp_16", "chTp_17"} << 3 << Rows{16} << Rows{3, 16, 29};
    QTest::newRow("unticking is always allowed")
        << QStringList{"opSat_3", "chTp_16", "chTp_16"} << 3 << Rows{} << Rows{3, 16, 29};
    QTest::newRow("AUTO SYMBOL allows no tick and emphasises no row")
        << QStringList{"opSat_13", "chTp_0", "chTp_12", "chTp_25", "chTp_38"} << 13 << Rows{}
        << Rows{};
    QTest::newRow("a new selection clears every tick")
        << QStringList{"opSat_3", "chTp_3", "chTp_29", "opSat_5"} << 5 << Rows{} << Rows{5, 18, 31};
    QTest::newRow("clicking the selected option again keeps the ticks")
        << QStringList{"opSat_7", "chTp_20", "opSat_7"} << 7 << Rows{20} << Rows{7, 20, 33};
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
        QCOMPARE(option->isChecked(), k == selected);
        QCOMPARE(option->font().bold(), k == selected);
        QCOMPARE(caption_colour(option), k == selected ? red : black);
        QCOMPARE(fixture.find<QGroupBox>(indexed("Frame2", k))->font().bold(), k == selected);
    }
    for (int i = 0; i < tp_row_count; ++i) {
        auto* tick = fixture.find<QCheckBox>(indexed("chTp", i));
        QCOMPARE(tick->isChecked(), ticked.contains(i));
        QCOMPARE(tick->font().bold(), emphasised.contains(i));
    }
    // A bold group caption does not spread to the group's contents.
    QVERIFY(!fixture.find<QLineEdit>("txtNID_16")->font().bold());
    QVERIFY(!fixture.find<QLabel>("Label1_6")->font().bold());
}

void FrmMainTest::typing_keeps_character_limits()
{
    WindowFixture fixture;
    fixture.show();
    const std::vector<std::array<QString, 3>> boxes{// box, typed, kept
                                                    {"txtPos_0", "12345", "1234"},
                                                    {"txtNID_0", "123456", "12345"},
                                                    {"txtFreq_38", "117781", "11778"},
                                                    {"txtSym_20", "275001", "27500"},
                                                    {"txtPol_5", "HV", "H"},
                                                    {"txtAutoSym_9", "320001", "32000"}};
    for (const auto& [box, typed, kept] : boxes) {
        auto* edit = fixture.find<QLineEdit>(box);
        type_into(edit, typed);
        QCOMPARE(edit->text(), kept);
    }
}

void FrmMainTest::import_fills_the_table_and_clears_the_selection()
{
    QTemporaryDir dir;
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    perform(fixture, {"opSat_4", "chTp_17"});
    fixture.chosen_path = write_file(dir, full_data_file());

    click(fixture.find<QPushButton>("cmdOpenSave"));

    QCOMPARE(fixture.chooser_calls, 1);
    QVERIFY(boxes.shown().isEmpty());
    for (int s = 0; s < slot_count; ++s)
        QCOMPARE(fixture.find<QLineEdit>(indexed("txtPos", s))->text(), QString::number(1000 + s));
    QStringList expected;
    for (int i = 0; i < tp_row_count; ++i)
        expected << QString::number(i) << QString::number(11000 + i) << "27500"
                 << (i % 2 == 1 ? "H" : "V");
    expected << QStringList{"22000", "27500", "30000", "1000", "2000", "3000", "4000", "5000",
                            "6000", "7000"};
    QCOMPARE(table_texts(fixture), expected);
    // No choice stays selected; the tick and the group's frame emphasis stay as they were.
    auto* option = fixture.find<QRadioButton>("opSat_4");
    QVERIFY(!option->isChecked());
    QVERIFY(!option->font().bold());
    QCOMPARE(caption_colour(option), black);
    QVERIFY(!fixture.find<QCheckBox>("chTp_17")->font().bold());
    QVERIFY(fixture.find<QCheckBox>("chTp_17")->isChecked());
    QVERIFY(fixture.find<QGroupBox>("Frame2_4")->font().bold());
}

void FrmMainTest::failing_import_leaves_the_table_untouched_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: no file at the chosen path
    QTest::addColumn<bool>("chosen");
    QTest::addColumn<int>("messages");
    QTest::newRow("empty line after 40 good ones") << full_data_file() + "\r\n" << true << 1;
    QTest::newRow("file does not exist") << QByteArray() << true << 1;
    QTest::newRow("dialog cancelled") << QByteArray() << false << 0;
}

void FrmMainTest::failing_import_leaves_the_table_untouched()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, chosen);
    QFETCH(int, messages);
    QTemporaryDir dir;
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    perform(fixture, {"opSat_1", "txtNID_1=77"});
    if (chosen)
        fixture.chosen_path =
            content.isEmpty() ? dir.filePath("missing.csv") : write_file(dir, content);

    click(fixture.find<QPushButton>("cmdOpenSave"));

    QCOMPARE(fixture.chooser_calls, 1);
    QCOMPARE(boxes.shown().size(), messages);
    for (const ShownMessage& message : boxes.shown()) {
        QVERIFY(!message.text.isEmpty());
        QCOMPARE(message.title, QStringLiteral("Tervalink"));
    }
    QStringList as_before(4 * tp_row_count + auto_rate_count);
    as_before[4] = "77"; // txtNID_1
    QCOMPARE(table_texts(fixture), as_before);
    QCOMPARE(fixture.find<QLineEdit>("txtPos_0")->text(), QStringLiteral("282"));
    QVERIFY(fixture.find<QRadioButton>("opSat_1")->isChecked());
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
    perform(fixture, {"txtNID_16=1", "txtFreq_16=10787", "txtSym_16=27500", "txtPol_16=V",
                      "txtFreq_12=10787",   // slot 12, row 0
                      "txtFreq_28=10787"}); // slot 2, row 2

    check->click();
    QCOMPARE(texts_of(list), (QStringList{" 2  2", " 3  1", " 8  1", " 12  0"}));

    type_into(fixture.find<QLineEdit>("txtPos_3"), ""); // slot 3 is no longer examined
    check->click();
    QCOMPARE(texts_of(list), (QStringList{" 2  2", " 8  1", " 12  0"}));
    QVERIFY(boxes.shown().isEmpty());
    QVERIFY(!list->isVisible());
    QVERIFY(!check->isVisible());

    // An overflowing NID ends the check: slot 8's clashing row 1 and slot 12 are not reached.
    type_into(fixture.find<QLineEdit>("txtNID_8"), "70000"); // slot 8, row 0
    check->click();
    QCOMPARE(texts_of(list), QStringList{" 2  2"});
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
    QWidget* first = fixture.find<QWidget>("cboPort");
    QWidget* widget = first;
    do {
        if (designed.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(chain, expected);

    for (const char* passive : {"Frame1", "Frame2_0", "Label1_0", "lblSystem", "pBar", "pic"})
        QCOMPARE(fixture.find<QWidget>(passive)->focusPolicy(), Qt::NoFocus);
}

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
