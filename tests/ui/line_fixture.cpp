#include "line_fixture.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "serial_line.h"

namespace tervalink::test {

LineFixture::LineFixture(TransmissionClock* transmission_clock, const std::string& far_end_path)
{
    const std::string& target = far_end_path.empty() ? pty.slave_path() : far_end_path;
    if (!device_root_.isValid() ||
        !QFile::link(QString::fromStdString(target), device_root_.filePath("ttyUSB7")))
        qFatal("cannot prepare the device folder");
    WindowOptions options;
    options.clock = transmission_clock ? transmission_clock : &clock;
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

std::string LineFixture::device_path() const
{
    return device_root_.filePath("ttyUSB7").toStdString();
}

bool LineFixture::device_free() const
{
    SerialLine other;
    try {
        other.open_path(device_path());
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

} // namespace tervalink::test
