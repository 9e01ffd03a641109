#include "window_fixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "failure.h"

namespace tervalink::test {

std::vector<InventoryDevice> FakeInventory::devices()
{
    if (failure)
        throw Failure(*failure);
    return listed;
}

InventoryDevice named_device(const std::string& display_name)
{
    return {display_name, "/dev/ttyTEST", "test adapter"};
}

WindowFixture::WindowFixture(WindowOptions options)
{
    inventory.listed = std::move(options.devices);
    inventory.failure = std::move(options.inventory_failure);
    FrmMainDependencies dependencies{inventory, options.clock,
                                     [this](QWidget*) {
                                         ++chooser_calls;
                                         return chosen_path;
                                     },
                                     std::move(options.device_root)};
    window_ = std::make_unique<frmMain>(std::move(dependencies));
}

void WindowFixture::show()
{
    window_->show();
    if (!QTest::qWaitForWindowExposed(window_.get()))
        qFatal("the window was not exposed");
}

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

void click(QAbstractButton* button)
{
    const bool has_indicator =
        qobject_cast<QCheckBox*>(button) != nullptr || qobject_cast<QRadioButton*>(button) != nullptr;
    const QPoint where = has_indicator ? QPoint(6, button->height() / 2) : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, where);
}

void type_into(QLineEdit* box, const QString& text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

void perform(WindowFixture& ui, const QStringList& steps)
{
    for (const QString& step : steps) {
        const qsizetype equals = step.indexOf('=');
        if (equals >= 0)
            type_into(ui.find<QLineEdit>(step.left(equals)), step.mid(equals + 1));
        else
            click(ui.find<QAbstractButton>(step));
    }
}

} // namespace tervalink::test
