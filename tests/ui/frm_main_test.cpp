// The window without a serial line: start state, layout and tab order, and one wiring check per
// handler (selection, ticks, Scan Ports, import, CHECK DATA). The rules behind them are pinned in
// the core tests.
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

QStringList positions(WindowFixture& fixture)
{
    QStringList texts;
    for (int s = 0; s < slot_count; ++s)
        texts << fixture.find<QLineEdit>(indexed("txtPos", s))->text();
    return texts;
}

} // namespace

class FrmMainTest : public QObject {
    Q_OBJECT

private slots:
    void start_state();
    void discovery_failure_at_start_and_scan_ports();
    void layout_fonts_and_captions();
    void tab_order();
    void selection_and_ticks_through_clicks_data();
    void selection_and_ticks_through_clicks();
    void typing_keeps_character_limits();
    void import_through_the_file_dialog();
    void check_data_lists_clashing_rows_in_the_hidden_list();
};

void FrmMainTest::start_state()
{
    MessageBoxCloser boxes;
    WindowOptions options;
    for (const char* name : {"USB Serial (COM1)", "Mouse", "Modem (COM4)"})
        options.devices.push_back(named_device(name));
    WindowFixture fixture(std::move(options));
    fixture.show();
    QCoreApplication::processEvents();

    QCOMPARE(fixture.window().windowTitle(), QStringLiteral("Tervalink V 1.34 (ZEPHLA)"));
    QCOMPARE(fixture.window().size(), QSize(1288, 515));
    QCOMPARE(fixture.window().minimumSize(), QSize(1288, 515));
    QCOMPARE(fixture.window().maximumSize(), QSize(1288, 515));
    QCOMPARE(positions(fixture), (QStringList{"282", "235", "192", "130", "48", "3592", "3550",
                                              "90", "42", "3300", "1160", "950", "48"}));
    QCOMPARE(table_texts(fixture), QStringList(4 * 39 + 10));
    QCOMPARE(fixture.find<QLabel>("lblSystem")->text(), QString());
    QCOMPARE(fixture.find<QProgressBar>("pBar")->maximum(), 100);
    QCOMPARE(fixture.find<QProgressBar>("pBar")->value(), 100);
    QCOMPARE(fixture.find<QComboBox>("cboBurd")->currentText(), QStringLiteral("57600"));
    QVERIFY(!fixture.find<QPushButton>("cmdSend")->isEnabled());
    QCOMPARE(fixture.find<QPushButton>("CmdConnect")->text(), QStringLiteral("CONNECT"));
    auto* ports = fixture.find<QComboBox>("cboPort");
    QCOMPARE(ports->count(), 2);
    QCOMPARE(ports->itemText(0), QStringLiteral("COM 1"));
    QCOMPARE(ports->itemText(1), QStringLiteral("COM 4"));
    QCOMPARE(ports->currentText(), QStringLiteral("COM 1"));
    QCOMPARE(ports->itemData(0, Qt::ToolTipRole).toString(),
             QStringLiteral("/dev/ttyTEST - test adapter"));
    QVERIFY(!fixture.find<QPushButton>("cmdCheck")->isVisible());
    QVERIFY(!fixture.find<QListWidget>("List2")->isVisible());
    QVERIFY(boxes.shown().isEmpty());
}

// Form_Load reports a failing inventory once the window is up, in the program's message box;
// cmdScan_Click fills the port box again.
void FrmMainTest::discovery_failure_at_start_and_scan_ports()
{
    MessageBoxCloser boxes;
    WindowOptions options;
    options.inventory_failure = "The device list cannot be read";
    WindowFixture fixture(std::move(options));
    QCoreApplication::processEvents();
    QVERIFY(boxes.shown().isEmpty()); // not before the window is shown
    fixture.show();
    QTRY_COMPARE(boxes.shown().size(), 1);
    const ShownMessage& box = boxes.shown().front();
    QCOMPARE(box.text, QStringLiteral("The device list cannot be read"));
    QCOMPARE(box.title, QStringLiteral("Tervalink"));
    QCOMPARE(box.icon, QMessageBox::NoIcon);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    auto* ports = fixture.find<QComboBox>("cboPort");
    QCOMPARE(ports->count(), 0);

    fixture.inventory.failure.reset();
    fixture.inventory.listed = {named_device("USB Serial (COM5)")};
    click(fixture.find<QPushButton>("cmdScan"));
    QCOMPARE(ports->currentText(), QStringLiteral("COM 5"));
    fixture.inventory.listed.clear();
    click(fixture.find<QPushButton>("cmdScan"));
    QCOMPARE(ports->count(), 0);
    QCOMPARE(ports->currentText(), QString());
    QCOMPARE(boxes.shown().size(), 1);
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
    QCOMPARE(fixture.find<QLabel>("Label1_7")->text(),
             QStringLiteral("  NID      FREQ    SYMB     POL"));
    QCOMPARE(fixture.find<QLabel>("Label2")->text(), QStringLiteral("Status :"));
    QCOMPARE(fixture.find<QGroupBox>("Frame1")->title(), QStringLiteral("SYSTEM"));
    QVERIFY(fixture.find<QGroupBox>("Frame1")->font().bold());
    const std::vector<std::pair<const char*, Qt::Alignment>> aligned{
        {"txtNID_0", Qt::AlignRight}, {"txtAutoSym_4", Qt::AlignRight},
        {"txtPol_20", Qt::AlignHCenter}, {"txtPos_12", Qt::AlignHCenter}};
    for (const auto& [box, alignment] : aligned)
        QCOMPARE(fixture.find<QLineEdit>(box)->alignment() & Qt::AlignHorizontal_Mask, alignment);
}

// The designed chain, written out; the controls of the chain in the order Tab reaches them.
void FrmMainTest::tab_order()
{
    const QStringList expected = QStringLiteral(
        "cboPort cboBurd cmdScan cmdOpenSave CmdConnect cmdSend opSat_0 opSat_1 opSat_2 opSat_3 "
        "opSat_4 opSat_5 opSat_12 opSat_6 opSat_7 opSat_8 opSat_9 opSat_10 opSat_11 opSat_13 "
        "txtPos_0 chTp_0 chTp_13 chTp_26 txtNID_0 txtFreq_0 txtSym_0 txtPol_0 txtNID_13 "
        "txtFreq_13 txtSym_13 txtPol_13 txtNID_26 txtFreq_26 txtSym_26 txtPol_26 "
        "txtPos_1 chTp_1 chTp_14 chTp_27 txtNID_1 txtFreq_1 txtSym_1 txtPol_1 txtNID_14 "
        "txtFreq_14 txtSym_14 txtPol_14 txtNID_27 txtFreq_27 txtSym_27 txtPol_27 "
        "txtPos_2 chTp_2 chTp_15 chTp_28 txtNID_2 txtFreq_2 txtSym_2 txtPol_2 txtNID_15 "
        "txtFreq_15 txtSym_15 txtPol_15 txtNID_28 txtFreq_28 txtSym_28 txtPol_28 "
        "txtPos_3 chTp_3 chTp_16 chTp_29 txtNID_3 txtFreq_3 txtSym_3 txtPol_3 txtNID_16 "
        "txtFreq_16 txtSym_16 txtPol_16 txtNID_29 txtFreq_29 txtSym_29 txtPol_29 "
        "txtPos_4 chTp_4 chTp_17 chTp_30 txtNID_4 txtFreq_4 txtSym_4 txtPol_4 txtNID_17 "
        "txtFreq_17 txtSym_17 txtPol_17 txtNID_30 txtFreq_30 txtSym_30 txtPol_30 "
        "txtPos_5 chTp_5 chTp_18 chTp_31 txtNID_5 txtFreq_5 txtSym_5 txtPol_5 txtNID_18 "
        "txtFreq_18 txtSym_18 txtPol_18 txtNID_31 txtFreq_31 txtSym_31 txtPol_31 "
        "txtPos_12 chTp_12 chTp_25 chTp_38 txtNID_12 txtFreq_12 txtSym_12 txtPol_12 txtNID_25 "
        "txtFreq_25 txtSym_25 txtPol_25 txtNID_38 txtFreq_38 txtSym_38 txtPol_38 "
        "txtPos_6 chTp_6 chTp_19 chTp_32 txtNID_6 txtFreq_6 txtSym_6 txtPol_6 txtNID_19 "
        "txtFreq_19 txtSym_19 txtPol_19 txtNID_32 txtFreq_32 txtSym_32 txtPol_32 "
        "txtPos_7 chTp_7 chTp_20 chTp_33 txtNID_7 txtFreq_7 txtSym_7 txtPol_7 txtNID_20 "
        "txtFreq_20 txtSym_20 txtPol_20 txtNID_33 txtFreq_33 txtSym_33 txtPol_33 "
        "txtPos_8 chTp_8 chTp_21 chTp_34 txtNID_8 txtFreq_8 txtSym_8 txtPol_8 txtNID_21 "
        "txtFreq_21 txtSym_21 txtPol_21 txtNID_34 txtFreq_34 txtSym_34 txtPol_34 "
        "txtPos_9 chTp_9 chTp_22 chTp_35 txtNID_9 txtFreq_9 txtSym_9 txtPol_9 txtNID_22 "
        "txtFreq_22 txtSym_22 txtPol_22 txtNID_35 txtFreq_35 txtSym_35 txtPol_35 "
        "txtPos_10 chTp_10 chTp_23 chTp_36 txtNID_10 txtFreq_10 txtSym_10 txtPol_10 txtNID_23 "
        "txtFreq_23 txtSym_23 txtPol_23 txtNID_36 txtFreq_36 txtSym_36 txtPol_36 "
        "txtPos_11 chTp_11 chTp_24 chTp_37 txtNID_11 txtFreq_11 txtSym_11 txtPol_11 txtNID_24 "
        "txtFreq_24 txtSym_24 txtPol_24 txtNID_37 txtFreq_37 txtSym_37 txtPol_37 "
        "txtAutoSym_0 txtAutoSym_1 txtAutoSym_2 txtAutoSym_3 txtAutoSym_4 txtAutoSym_5 "
        "txtAutoSym_6 txtAutoSym_7 txtAutoSym_8 txtAutoSym_9 ")
        .split(' ', Qt::SkipEmptyParts);
    WindowFixture fixture;
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

// opSat_Click and chTp_Click: the emphasis (bold, red option caption) follows the selection.
void FrmMainTest::selection_and_ticks_through_clicks_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QList<int>>("ticked");     // TP row indices
    QTest::addColumn<QList<int>>("emphasised"); // TP row indices with bold captions
    QTest::newRow("a row of the selected slot keeps its tick, another slot's is undone")
        << QStringList{"opSat_3", "chTp_16", "chTp_17"} << 3 << QList<int>{16}
        << QList<int>{3, 16, 29};
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
        QCOMPARE(option->isChecked(), k == selected);
        QCOMPARE(option->font().bold(), k == selected);
        QCOMPARE(option->palette().color(QPalette::WindowText),
                 k == selected ? QColor(255, 0, 0) : QColor(0, 0, 0));
        QCOMPARE(fixture.find<QGroupBox>(indexed("Frame2", k))->font().bold(), k == selected);
    }
    for (int i = 0; i < tp_row_count; ++i) {
        auto* tick = fixture.find<QCheckBox>(indexed("chTp", i));
        QCOMPARE(tick->isChecked(), ticked.contains(i));
        QCOMPARE(tick->font().bold(), emphasised.contains(i));
    }
    // A bold group caption does not spread to the group's contents.
    QVERIFY(!fixture.find<QLineEdit>(indexed("txtNID", emphasised[1]))->font().bold());
    QVERIFY(!fixture.find<QLabel>(indexed("Label1", 2 * selected))->font().bold());
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

// cmdOpenSave_Click: a cancelled dialog does nothing; a file that fails says why and leaves the
// table as it was; a good file fills every box and no choice stays selected.
void FrmMainTest::import_through_the_file_dialog()
{
    QTemporaryDir dir;
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    perform(fixture, {"opSat_4", "chTp_17", "txtNID_1=77"});
    auto* open_file = fixture.find<QPushButton>("cmdOpenSave");
    QStringList as_before(4 * tp_row_count + auto_rate_count);
    as_before[4] = "77"; // txtNID_1

    click(open_file); // cancelled: the chooser answers with no path
    fixture.chosen_path = dir.filePath("data.csv");
    click(open_file); // no such file
    QCOMPARE(fixture.chooser_calls, 2);
    QCOMPARE(boxes.texts(), QStringList{"Cannot open " + fixture.chosen_path +
                                        ": no such file; check the name and the folder"});
    QCOMPARE(table_texts(fixture), as_before);
    QCOMPARE(fixture.find<QLineEdit>("txtPos_0")->text(), QStringLiteral("282"));
    QVERIFY(fixture.find<QRadioButton>("opSat_4")->isChecked());

    QFile file(fixture.chosen_path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(full_data_file()) > 0);
    file.close();
    click(open_file);
    QCOMPARE(boxes.shown().size(), 1);
    QCOMPARE(positions(fixture), (QStringList{"1000", "1001", "1002", "1003", "1004", "1005",
                                              "1006", "1007", "1008", "1009", "1010", "1011",
                                              "1012"}));
    const QStringList texts = table_texts(fixture);
    QCOMPARE(texts.mid(0, 8),
             (QStringList{"0", "11000", "27500", "V", "1", "11001", "27500", "H"}));
    QCOMPARE(texts.mid(4 * 38, 4), (QStringList{"38", "11038", "27500", "V"}));
    QCOMPARE(texts.mid(4 * 39), (QStringList{"22000", "27500", "30000", "1000", "2000", "3000",
                                             "4000", "5000", "6000", "7000"}));
    auto* option = fixture.find<QRadioButton>("opSat_4");
    QVERIFY(!option->isChecked());
    QVERIFY(!option->font().bold());
    QVERIFY(!fixture.find<QCheckBox>("chTp_17")->font().bold());
}

// cmdCheck_Click: the hidden list is replaced by the clashing rows, slot by slot. FREQ 10787 has
// 0x23 as the frequency's low byte; USER 1 (slot 8) row 1 clashes from the start. An overflowing
// NID ends the check with its message.
void FrmMainTest::check_data_lists_clashing_rows_in_the_hidden_list()
{
    MessageBoxCloser boxes;
    WindowFixture fixture;
    fixture.show();
    auto* list = fixture.find<QListWidget>("List2");
    list->addItem("left from before");
    perform(fixture, {"txtNID_16=1", "txtFreq_16=10787", "txtSym_16=27500", "txtPol_16=V",
                      "txtFreq_12=10787", "txtFreq_28=10787"});
    const auto listed = [list] {
        QStringList lines;
        for (int n = 0; n < list->count(); ++n)
            lines << list->item(n)->text();
        return lines;
    };

    fixture.find<QPushButton>("cmdCheck")->click();
    QCOMPARE(listed(), (QStringList{" 2  2", " 3  1", " 8  1", " 12  0"}));
    QVERIFY(boxes.shown().isEmpty());
    QVERIFY(!list->isVisible());

    type_into(fixture.find<QLineEdit>("txtNID_8"), "70000"); // slot 8, row 0
    fixture.find<QPushButton>("cmdCheck")->click();
    QCOMPARE(listed(), (QStringList{" 2  2", " 3  1"}));
    QCOMPARE(boxes.texts(), QStringList{"NID of USER 1 TP1: 70000 does not fit 0..65535"});
}

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
