// The window without a serial line: start state, layout and tab order, and one wiring check per
// handler (selection, ticks, typing, Scan Ports, import, CHECK DATA). The rules behind them are
// pinned in the core tests.
#include "window_fixture.h"

#include <QDir>
#include <QFontInfo>

using namespace tervalink::test;

namespace {

// The controls whose state holds, by name in alphabetical order.
QStringList marked(const WindowFixture& ui, const std::function<bool(QWidget*)>& holds)
{
    QStringList all;
    for (QWidget* control : ui.window->findChildren<QWidget*>())
        if (!control->objectName().isEmpty() && holds(control))
            all << control->objectName();
    all.sort();
    return all;
}

bool checked(QWidget* w) { return w->property("checked").toBool(); }
bool bold(QWidget* w) { return w->font().bold(); }
bool red(QWidget* w) { return w->palette().color(QPalette::WindowText) == QColor(255, 0, 0); }

// The designed chain, written out; "TPn" stands for TP row n's boxes NID, FREQ, SYMB and POL.
const QString designed_chain = QStringLiteral(
    "cboPort cboBurd cmdScan cmdOpenSave CmdConnect cmdSend opSat_0 opSat_1 opSat_2 opSat_3 "
    "opSat_4 opSat_5 opSat_12 opSat_6 opSat_7 opSat_8 opSat_9 opSat_10 opSat_11 opSat_13 "
    "txtPos_0 chTp_0 chTp_13 chTp_26 TP0 TP13 TP26   txtPos_1 chTp_1 chTp_14 chTp_27 TP1 TP14 TP27 "
    "txtPos_2 chTp_2 chTp_15 chTp_28 TP2 TP15 TP28   txtPos_3 chTp_3 chTp_16 chTp_29 TP3 TP16 TP29 "
    "txtPos_4 chTp_4 chTp_17 chTp_30 TP4 TP17 TP30   txtPos_5 chTp_5 chTp_18 chTp_31 TP5 TP18 TP31 "
    "txtPos_12 chTp_12 chTp_25 chTp_38 TP12 TP25 TP38 "
    "txtPos_6 chTp_6 chTp_19 chTp_32 TP6 TP19 TP32   txtPos_7 chTp_7 chTp_20 chTp_33 TP7 TP20 TP33 "
    "txtPos_8 chTp_8 chTp_21 chTp_34 TP8 TP21 TP34   txtPos_9 chTp_9 chTp_22 chTp_35 TP9 TP22 TP35 "
    "txtPos_10 chTp_10 chTp_23 chTp_36 TP10 TP23 TP36 "
    "txtPos_11 chTp_11 chTp_24 chTp_37 TP11 TP24 TP37 "
    "txtAutoSym_0 txtAutoSym_1 txtAutoSym_2 txtAutoSym_3 txtAutoSym_4 txtAutoSym_5 txtAutoSym_6 "
    "txtAutoSym_7 txtAutoSym_8 txtAutoSym_9");

} // namespace

class FrmMainTest : public QObject {
    Q_OBJECT

private slots:
    void start_state_and_layout()
    {
        WindowFixture ui({"USB Serial (COM1)", "Mouse", "Modem (COM4)"});
        QCOMPARE(ui.window->windowTitle(), QStringLiteral("Tervalink V 1.34 (ZEPHLA)"));
        QCOMPARE(QList<QSize>({ui.window->minimumSize(), ui.window->maximumSize()}),
                 QList<QSize>(2, QSize(1288, 515)));
        QCOMPARE(ui.texts({"txtPos_0", "txtPos_1", "txtPos_2", "txtPos_3", "txtPos_4", "txtPos_5",
                           "txtPos_6", "txtPos_7", "txtPos_8", "txtPos_9", "txtPos_10", "txtPos_11",
                           "txtPos_12"}),
                 (QStringList{"282", "235", "192", "130", "48", "3592", "3550", "90", "42", "3300",
                              "1160", "950", "48"}));
        QCOMPARE(ui.texts({"Frame1", "cboPort", "cboBurd", "cmdScan", "cmdOpenSave", "CmdConnect",
                           "cmdSend", "Label2", "lblSystem", "Label1_7", "opSat_9", "chTp_16"}),
                 (QStringList{"SYSTEM", "COM 1", "57600", "Scan Ports", "Open a Data File ...",
                              "CONNECT", "UPDATE", "Status :", "",
                              "  NID      FREQ    SYMB     POL", "USER 2", "TP2"}));
        QStringList items;
        for (const char* name : {"cboBurd", "cboPort"})
            for (int i = 0; i < ui.find<QComboBox>(name)->count(); ++i)
                items << ui.find<QComboBox>(name)->itemText(i)
                      << ui.find<QComboBox>(name)->itemData(i, Qt::ToolTipRole).toString();
        QCOMPARE(items, (QStringList{"9600", "", "19200", "", "38400", "", "57600", "", "COM 1",
                                     "/dev/ttyTEST - test adapter", "COM 4",
                                     "/dev/ttyTEST - test adapter"}));
        auto* progress = ui.find<QProgressBar>("pBar");
        QCOMPARE(QList<int>({progress->maximum(), progress->value()}), QList<int>({100, 100}));
        QVERIFY(!progress->isTextVisible() && !ui.find("cmdSend")->isEnabled());
        QVERIFY(!ui.find("cmdCheck")->isVisible() && !ui.find("List2")->isVisible());

        ui.perform({"txtPos_0=12345", "txtNID_0=123456", "txtFreq_38=117781", "txtSym_20=275001",
                    "txtPol_5=HV", "txtAutoSym_9=320001"}); // each box keeps its field's length
        QCOMPARE(ui.texts({"txtPos_0", "txtNID_0", "txtFreq_38", "txtSym_20", "txtPol_5",
                           "txtAutoSym_9"}),
                 (QStringList{"1234", "12345", "11778", "27500", "H", "32000"}));

        const QMap<QString, QRect> placed = control_boxes(ui);
        for (const QString& name : design_boxes.keys())
            QCOMPARE(placed[name], design_boxes[name]);
        for (QWidget* control : named_controls(ui)) {
            // The font found, not only the one asked for: Arial's metrics. The test machines
            // have no Arial, so on both systems that is Liberation Sans.
            QCOMPARE(QFontInfo(control->font()).family(), QStringLiteral("Liberation Sans"));
            QCOMPARE(control->font().pointSizeF(),
                     control->objectName().startsWith("txtPos") ? 9.75 : 8.25);
        }
        // Every control of the design, each under its own name.
        QCOMPARE(named_controls(ui).size(), 285);
        QCOMPARE(marked(ui, bold), QStringList{"Frame1"});
        const QImage caption = ui.find("Frame1")->grab(QRect(0, 0, 80, 14)).toImage();
        QVERIFY(caption.createMaskFromColor(QColor(255, 0, 0).rgb()) !=
                caption.createMaskFromColor(QColor(1, 2, 3).rgb())); // "SYSTEM" is red
        QList<int> alignments;
        for (const char* box : {"txtNID_0", "txtAutoSym_4", "txtPol_20", "txtPos_12"})
            alignments << int(ui.find<QLineEdit>(box)->alignment() & Qt::AlignHorizontal_Mask);
        QCOMPARE(alignments,
                 (QList<int>{Qt::AlignRight, Qt::AlignRight, Qt::AlignHCenter, Qt::AlignHCenter}));
    }

    // Form_Load reports a failing inventory once the window is up, in the program's message box;
    // cmdScan_Click fills the port box again.
    void discovery_failure_at_start_and_scan_ports()
    {
        WindowFixture ui({}, "The device list cannot be read", nullptr, false);
        QCoreApplication::processEvents();
        QVERIFY(ui.messages.texts.isEmpty()); // not before the window is shown
        ui.window->show();
        QTRY_COMPARE(ui.messages.texts, QStringList{"The device list cannot be read"});
        QVERIFY(ui.messages.form == std::tuple(QStringLiteral("Tervalink"), QMessageBox::NoIcon,
                                         QMessageBox::StandardButtons(QMessageBox::Ok)));
        auto* ports = ui.find<QComboBox>("cboPort");
        QCOMPARE(ports->count(), 0);
        ui.inventory.failure.reset();
        ui.inventory.list_names({"USB Serial (COM5)"});
        ui.perform({"cmdScan"});
        QCOMPARE(ports->currentText(), QStringLiteral("COM 5"));
        ui.inventory.listed.clear();
        ui.perform({"cmdScan"});
        QCOMPARE(ports->count(), 0);
        QCOMPARE(ports->currentText(), QString());
        QCOMPARE(ui.messages.texts.size(), 1);
    }

    // The controls of the chain in the order Tab reaches them; the passive ones take no focus.
    void tab_order()
    {
        QStringList expected;
        for (const QString& name : designed_chain.split(' ', Qt::SkipEmptyParts)) {
            const QString n = name.mid(2);
            expected << (name.startsWith("TP") ? QStringList{"txtNID_" + n, "txtFreq_" + n,
                                                             "txtSym_" + n, "txtPol_" + n}
                                               : QStringList{name});
        }
        WindowFixture ui;
        QStringList chain;
        QWidget* widget = ui.find("cboPort");
        for (int step = 0; step < 1000 && chain.size() < expected.size();
             ++step, widget = widget->nextInFocusChain())
            if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
                chain << widget->objectName();
        QCOMPARE(chain, expected);
        for (const char* passive : {"Frame1", "Frame2_0", "Label1_0", "lblSystem", "pBar", "pic"})
            QCOMPARE(ui.find(passive)->focusPolicy(), Qt::NoFocus);
    }

    // opSat_Click and chTp_Click: the emphasis (bold captions, the option's in red) follows the
    // selection, and a bold group caption does not spread to the group's contents.
    void selection_and_ticks_through_clicks()
    {
        WindowFixture ui;
        ui.perform({"opSat_12", "chTp_38", "chTp_17"}); // another slot's tick is undone
        QCOMPARE(marked(ui, checked), (QStringList{"chTp_38", "opSat_12"}));
        QCOMPARE(marked(ui, bold),
                 (QStringList{"Frame1", "Frame2_12", "chTp_12", "chTp_25", "chTp_38", "opSat_12"}));
        QCOMPARE(marked(ui, red), QStringList{"opSat_12"});
        ui.perform({"opSat_7", "chTp_20", "opSat_7"}); // the selected option again keeps the ticks
        QCOMPARE(marked(ui, checked), (QStringList{"chTp_20", "opSat_7"}));
        QCOMPARE(marked(ui, bold),
                 (QStringList{"Frame1", "Frame2_7", "chTp_20", "chTp_33", "chTp_7", "opSat_7"}));
        QCOMPARE(marked(ui, red), QStringList{"opSat_7"});
    }

    // cmdOpenSave_Click: a cancelled dialog does nothing; a file that fails says why and leaves
    // the table as it was; a good file fills every box and no choice stays selected.
    void import_through_the_file_dialog()
    {
        QTemporaryDir dir;
        WindowFixture ui;
        ui.perform({"opSat_4", "chTp_17", "txtNID_1=77", "cmdOpenSave"}); // cancelled: no path
        // A name beyond any 8-bit code page, in the system's own spelling of paths.
        ui.chosen_path = dir.filePath(QStringLiteral("Sätellit-данные-衛星.csv"));
        ui.perform({"cmdOpenSave"});
        QCOMPARE(ui.chooser_calls, 2);
        QCOMPARE(ui.messages.texts,
                 QStringList{"Cannot open " + QDir::toNativeSeparators(ui.chosen_path) +
                             ": no such file; check the name and the folder"});
        QCOMPARE(ui.texts({"txtPos_0", "txtNID_1", "txtFreq_1"}), (QStringList{"282", "77", ""}));
        QVERIFY(ui.find<QRadioButton>("opSat_4")->isChecked());

        QFile file(ui.chosen_path); // 39 TP lines and one auto line, each value telling its place
        QVERIFY(file.open(QIODevice::WriteOnly));
        for (int i = 0; i < 39; ++i)
            file.write(QStringLiteral("S%1,%2,%1,%3,27500,%4\r\n")
                           .arg(i).arg(1000 + i).arg(11000 + i).arg(i % 2).toLatin1());
        file.write("22000,27500,30000,1000,2000,3000,4000,5000,6000,7000\r\n");
        file.close();
        ui.perform({"cmdOpenSave"});
        QCOMPARE(ui.messages.texts.size(), 1);
        QCOMPARE(ui.texts({"txtPos_0", "txtPos_12", "txtNID_0", "txtFreq_0", "txtSym_0", "txtPol_0",
                           "txtPol_1", "txtNID_38", "txtFreq_38", "txtAutoSym_0", "txtAutoSym_9"}),
                 (QStringList{"1000", "1012", "0", "11000", "27500", "V", "H", "38", "11038",
                              "22000", "7000"}));
        QVERIFY(!ui.find<QRadioButton>("opSat_4")->isChecked());
        QVERIFY(!ui.find("opSat_4")->font().bold() && !ui.find("chTp_17")->font().bold());
    }

    // cmdCheck_Click: the hidden list is replaced by the clashing rows, slot by slot. FREQ 10787
    // has 0x23 as the frequency's low byte; USER 1 (slot 8) row 1 clashes from the start. An
    // overflowing NID ends the check with its message.
    void check_data_lists_clashing_rows_in_the_hidden_list()
    {
        WindowFixture ui;
        auto* list = ui.find<QListWidget>("List2");
        list->addItem("left from before");
        const auto listed = [list] {
            QStringList lines;
            for (int n = 0; n < list->count(); ++n)
                lines << list->item(n)->text();
            return lines;
        };
        ui.perform({"txtNID_16=1", "txtFreq_16=10787", "txtSym_16=27500", "txtPol_16=V",
                    "txtFreq_12=10787", "txtFreq_28=10787"});
        ui.find<QPushButton>("cmdCheck")->click();
        QCOMPARE(listed(), (QStringList{" 2  2", " 3  1", " 8  1", " 12  0"}));
        QVERIFY(ui.messages.texts.isEmpty() && !list->isVisible());
        ui.perform({"txtNID_8=70000"}); // slot 8, row 0
        ui.find<QPushButton>("cmdCheck")->click();
        QCOMPARE(listed(), (QStringList{" 2  2", " 3  1"}));
        QCOMPARE(ui.messages.texts, QStringList{"NID of USER 1 TP1: 70000 does not fit 0..65535"});
    }
};

QTEST_MAIN(FrmMainTest)
#include "frm_main_test.moc"
