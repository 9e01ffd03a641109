#pragma once
// The test doubles of the window tests, and the steps a user takes on the window.
#include <QtWidgets>
#include <QTest>

#include "failure_of.h"
#include "fake_inventory.h"
#include "fake_sleep_guard.h"
#include "frm_main.h"
#include "held_clock.h"
#include "far_end.h"
#include "serial_line.h"

namespace tervalink::test {

// HOTBIRD TP2 of the worked example, typed in: 45 frames.
inline const QStringList hotbird_tp2_steps{"opSat_3",          "chTp_16",         "txtNID_16=1",
                                           "txtFreq_16=11778", "txtSym_16=27500", "txtPol_16=V"};

// Closes every modal message box as soon as it is up, whatever its buttons, so that no test
// waits for a user; records its text, and the title, icon and buttons of the last one. Polls
// from the event loop, including the nested loops of modal boxes and of the update's waits.
struct MessageBoxCloser {
    MessageBoxCloser()
    {
        QObject::connect(&poll, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr || !box->isVisible())
                return;
            texts << box->text();
            form = {box->windowTitle(), box->icon(), box->standardButtons()};
            box->done(0);
        });
        poll.start(5);
    }
    QStringList texts;
    std::tuple<QString, QMessageBox::Icon, QMessageBox::StandardButtons> form;
    QTimer poll;
};

// The real window with doubles for the platform: a fake inventory, a file chooser that answers
// `chosen_path`, updates on a held clock unless another is given, and the device root of a far
// end of its own, which the port box reaches as `port_text`, and the machine kept awake by a
// fake; its message boxes closed and recorded in `messages`. Shown, and exposed, unless told
// otherwise.
struct WindowFixture {
    explicit WindowFixture(std::vector<std::string> device_names = {},
                           std::optional<std::string> inventory_failure = {},
                           TransmissionClock* transmission_clock = nullptr, bool shown = true)
    {
        inventory.list_names(device_names);
        inventory.failure = std::move(inventory_failure);
        window = std::make_unique<frmMain>(FrmMainDependencies{
            inventory, transmission_clock ? transmission_clock : &clock, &awake,
            [this](QWidget*) { return ++chooser_calls, chosen_path; }, far_end.device_root()});
        if (shown && (window->show(), !QTest::qWaitForWindowExposed(window.get())))
            qFatal("the window was not exposed");
    }
    template <typename Widget = QWidget>
    Widget* find(const QString& name) const
    {
        auto* widget = window->findChild<Widget*>(name);
        return widget ? widget : (qFatal("no control named %s", qPrintable(name)), nullptr);
    }
    // What each control shows: a caption, a box's text, a drop-down's current text.
    QStringList texts(const QStringList& names) const
    {
        QStringList all;
        for (const QString& name : names) {
            const QWidget* control = find(name);
            QVariant text = control->property("text");
            if (!text.isValid())
                text = control->property(control->inherits("QComboBox") ? "currentText" : "title");
            all << text.toString();
        }
        return all;
    }
    // One step per entry: "opSat_3" clicks that control where a user would (on the indicator of
    // a check box or option), "txtNID_16=1" selects all in that box or drop-down and types (an
    // empty right side clears it).
    void perform(const QStringList& steps)
    {
        for (const QString& step : steps) {
            if (const qsizetype equals = step.indexOf('='); equals >= 0) {
                QWidget* box = find(step.left(equals));
                box->setFocus();
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClick(box, Qt::Key_Delete);
                QTest::keyClicks(box, step.mid(equals + 1));
                continue;
            }
            auto* button = find<QAbstractButton>(step);
            const bool ticks = button->inherits("QCheckBox") || button->inherits("QRadioButton");
            const QPoint at = ticks ? QPoint(6, button->height() / 2) : button->rect().center();
            QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
        }
    }
    // Connects, performs `steps` and presses UPDATE: true once the update waits in pause `pause`
    // of the held clock.
    bool send_held_in_pause(const QStringList& steps, int pause)
    {
        perform(connect_steps() + steps);
        clock.hold_at_pause(pause);
        perform({"cmdSend"});
        return clock.wait_until_held();
    }
    // The port box text that reaches the far end, and the steps that connect to it.
    QString port_text() const { return QString::fromStdString(far_end.port_text()); }
    QStringList connect_steps() const { return {"cboPort=" + port_text(), "CmdConnect"}; }
    // Whether another program could open the far end's port now.
    bool device_free() const
    {
        return failure_of([this] { SerialLine().open_path(far_end.device_path()); }).empty();
    }

    MessageBoxCloser messages;
    FakeInventory inventory;
    QString chosen_path;
    int chooser_calls = 0;
    HeldClock clock;
    FakeSleepGuard awake;
    FarEnd far_end;
    std::unique_ptr<frmMain> window;
};

// Five controls in the design's own size, in pixels of the design's twips: 120,120,9495,1695;
// 960,480,1215,315 (840,360 in SYSTEM); 14760,0,1695,495; 6240,2880,735,255 (1320,840 in
// HOTBIRD); 18480,6960,600,285.
inline const QMap<QString, QRect> design_boxes{
    {"Frame1", {8, 8, 633, 113}}, {"cboPort", {64, 32, 81, 21}}, {"opSat_9", {984, 0, 113, 33}},
    {"chTp_16", {416, 192, 49, 17}}, {"txtAutoSym_9", {1232, 464, 40, 19}}};

// The window's controls, each under its own name (Qt's inner widgets are named "qt_...").
inline QList<QWidget*> named_controls(const WindowFixture& ui)
{
    QList<QWidget*> named = ui.window->findChildren<QWidget*>();
    named.removeIf([](const QWidget* w) {
        return w->objectName().isEmpty() || w->objectName().startsWith("qt_");
    });
    return named;
}

// Each named control's box in the window's coordinates.
inline QMap<QString, QRect> control_boxes(const WindowFixture& ui)
{
    QMap<QString, QRect> seen;
    for (QWidget* control : named_controls(ui))
        seen[control->objectName()] = {control->mapTo(ui.window.get(), QPoint()), control->size()};
    return seen;
}

} // namespace tervalink::test
