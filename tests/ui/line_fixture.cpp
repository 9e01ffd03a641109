#include "line_fixture.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "serial_line.h"

namespace tervalink::test {

LineFixture::LineFixture(std::chrono::milliseconds tick_period)
{
    if (!device_root_.isValid() ||
        !QFile::link(QString::fromStdString(pty.slave_path()), device_root_.filePath("ttyUSB7")))
        qFatal("cannot prepare the device folder");
    WindowOptions options;
    options.tick_period = tick_period;
    options.device_root = device_root_.path().toStdString();
    ui_ = std::make_unique<WindowFixture>(std::move(options));
    ui_->show();
}

void LineFixture::press_connect(const QString& port_text)
{
    auto* port_box = ui_->find<QComboBox>("cboPort");
    port_box->setEditText(port_text);
    click(ui_->find<QPushButton>("CmdConnect"));
}

const std::vector<std::uint8_t>& LineFixture::received()
{
    const std::vector<std::uint8_t> fresh = pty.read_available();
    received_.insert(received_.end(), fresh.begin(), fresh.end());
    return received_;
}

bool LineFixture::device_free() const
{
    SerialLine other;
    try {
        other.open_path(pty.slave_path());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

} // namespace tervalink::test
