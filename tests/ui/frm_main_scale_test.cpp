// The window on one desktop of CMakeLists.txt's table: it takes the TERVALINK_EXPECTED_FACTOR,
// fits the work area with its frame (at the floor: its corner in it), every control at the
// design's place times the factor, every caption fitting. On a large screen beside it (offscreen)
// it shows the design at its own size, and back on its own screen its factor again.
#include "window_fixture.h"

using namespace tervalink::test;

namespace {

// The width a control leaves its caption: beside the indicator of an option or tick, within a
// button's frame (4 pixels a side), or the whole label.
int caption_room(const QWidget* control)
{
    const bool radio = control->inherits("QRadioButton");
    if (!radio && !control->inherits("QCheckBox"))
        return control->width() - (control->inherits("QPushButton") ? 8 : 0);
    QStyleOptionButton option;
    option.initFrom(control);
    return control->style()
        ->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents,
                         &option, control)
        .width();
}

// The controls of `design` whose edges stand more than a pixel from the design's times `factor`;
// the AUTO SYMBOL option grows about its centre line to the height it needs.
QStringList misplaced(const QMap<QString, QRect>& shown, const QMap<QString, QRect>& design,
                      double factor)
{
    QStringList names;
    for (const QString& name : design.keys()) {
        const QRect want = design[name], got = shown.value(name);
        QList<double> edges{got.left() - want.left() * factor,
                            got.right() + 1 - (want.right() + 1) * factor,
                            got.top() - want.top() * factor,
                            got.bottom() + 1 - (want.bottom() + 1) * factor};
        if (name == "opSat_13")
            edges = {edges[0], edges[1], (edges[2] + edges[3]) / 2};
        if (std::any_of(edges.begin(), edges.end(), [](double off) { return std::abs(off) > 1; }))
            names << name;
    }
    return names;
}

// The captions that do not fit: beside an indicator, within a button's frame, on a label; and the
// controls whose font is not the design's at the captions' one scale, at most `factor`.
QStringList clipped_or_unevenly_sized(const WindowFixture& ui, double factor)
{
    QStringList names;
    const double scale = ui.find("Frame1")->font().pointSizeF() / 8.25;
    for (QWidget* control : named_controls(ui)) {
        const QString name = control->objectName();
        const double points = name.startsWith("txtPos") ? 9.75 : 8.25;
        const int room = caption_room(control);
        const bool caption = control->inherits("QAbstractButton") || control->inherits("QLabel");
        const QString text = control->property("text").toString();
        if ((caption && QFontMetrics(control->font()).horizontalAdvance(text) > room) ||
            std::abs(control->font().pointSizeF() - points * scale) > 1e-9 || scale > factor + 1e-4)
            names << name;
    }
    return names;
}

} // namespace

class FrmMainScaleTest : public QObject {
    Q_OBJECT

private slots:
    void fits_its_screen_as_one_scaled_piece()
    {
        const double factor = qEnvironmentVariable("TERVALINK_EXPECTED_FACTOR").toDouble();
        WindowFixture ui;
        QScreen* own = QGuiApplication::primaryScreen();
        QCOMPARE(ui.window->screen(), own);
        const QSize size = ui.window->size();
        QVERIFY2(std::abs(size.width() - 1288 * factor) <= 1 &&
                     std::abs(size.height() - 515 * factor) <= 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
        const QRect area = own->availableGeometry();
        const QRect outer = ui.window->frameGeometry();
        const bool at_floor = size.width() == 820 && outer.width() > area.width();
        QVERIFY(at_floor ? outer.topLeft() == area.topLeft() : area.contains(outer));
        QCOMPARE(clipped_or_unevenly_sized(ui, factor), QStringList());
        QVERIFY(!ui.find("cmdCheck")->isVisible() && ui.find("cmdCheck")->y() >= size.height());
        const QMap<QString, QRect> scaled = control_boxes(ui);
        QCOMPARE(misplaced(scaled, design_boxes, factor), QStringList());
        const int indicator = ui.find("chTp_0")->style()->pixelMetric(QStyle::PM_IndicatorWidth);
        const int design_indicator = QApplication::style()->pixelMetric(QStyle::PM_IndicatorWidth);
        QVERIFY(std::abs(indicator - design_indicator * factor) <= 1);
        if (QGuiApplication::screens().size() < 2) {
            qInfo("one screen: not moved to another");
            return;
        }

        ui.window->move(QGuiApplication::screens().at(1)->geometry().topLeft() + QPoint(50, 50));
        QTRY_COMPARE(ui.window->size(), QSize(1288, 515));
        QCOMPARE(misplaced(scaled, control_boxes(ui), factor), QStringList());
        ui.window->move(own->geometry().topLeft() + QPoint(10, 10));
        QTRY_COMPARE(ui.window->size(), size); // back on its own screen, at its own factor
    }
};

QTEST_MAIN(FrmMainScaleTest)
#include "frm_main_scale_test.moc"
