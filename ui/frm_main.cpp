#include "frm_main.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>

#include "design_scale.h"
#include "message_box.h"
#include "qt_text.h"
#include "window_design.h"

namespace tervalink {

namespace {
constexpr char stopped_by_closing[] = "The update was stopped because the window was closed";
} // namespace

QString choose_data_file_with_dialog(QWidget* parent)
{
    return QFileDialog::getOpenFileName(parent);
}

frmMain::frmMain(FrmMainDependencies dependencies, QWidget* parent)
    : QWidget(parent),
      inventory_(dependencies.inventory),
      choose_data_file_(std::move(dependencies.choose_data_file)),
      line_(std::move(dependencies.device_root)),
      design_(this, design::client_area, caption_design_points),
      controls_(build_controls(this, design_)),
      binding_(table_, controls_),
      update_view_(this, controls_, line_),
      updater_(table_, line_,
               dependencies.clock ? *dependencies.clock : monotonic_clock_,
               dependencies.sleep_guard ? *dependencies.sleep_guard : system_sleep_guard_,
               update_view_,
               [this](std::function<void()> report) {
                   QMetaObject::invokeMethod(this, std::move(report), Qt::QueuedConnection);
               })
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(design::window_caption));
    fit_to_screen();
    set_tab_order(controls_);
    binding_.refresh_all();
    binding_.connect_typing(this);
    wire_handlers();
    Form_Load();
}

frmMain::~frmMain() = default;

// The start-up values the window's design does not hold: the line's baud rate in the baud box,
// the ports discovery finds, and a full progress bar. The message tables and the repetition count
// are constants of the core, and each update keeps its own clock, so nothing else is set here.
void frmMain::Form_Load()
{
    controls_.cboBurd->setCurrentIndex(design::line_baud_entry);
    empty_port_list();
    try {
        fill_port_list(scan_ports(inventory_, port_names_));
    } catch (const std::exception& failure) {
        // Shown once the window is up, so the user can still pick or type a port.
        startup_failure_ = QString::fromUtf8(failure.what());
    }
    controls_.pBar->setValue(controls_.pBar->maximum());
}

void frmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (screen_watch_.empty()) {
        // Now the window has its frame and a screen of its own: fit it to them, and follow it.
        connect(windowHandle(), &QWindow::screenChanged, this, &frmMain::follow_screen);
        follow_screen(windowHandle()->screen());
        keep_on_screen();
    }
    if (!startup_failure_)
        return;
    const QString text = *startup_failure_;
    startup_failure_.reset();
    QTimer::singleShot(0, this, [this, text] { show_message_box(this, text); });
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (updater_.running()) {
        // Stop sending now: the update goes down its error path, silently.
        update_view_.suppress_messages();
        updater_.stop(stopped_by_closing);
    }
    if (line_.is_open())
        line_.close();
    event->accept();
}

void frmMain::empty_port_list()
{
    controls_.cboPort->clear();
    controls_.cboPort->clearEditText();
}

void frmMain::fill_port_list(const std::vector<PortEntry>& entries)
{
    QComboBox* list = controls_.cboPort;
    for (const PortEntry& entry : entries) {
        list->addItem(to_qstring(entry.text));
        std::string tip = entry.device_path + " - " + entry.description;
        if (!entry.identity.empty())
            tip += " - " + entry.identity;
        list->setItemData(list->count() - 1, to_qstring(tip), Qt::ToolTipRole);
    }
    if (!entries.empty())
        list->setCurrentIndex(0);
    // The adapters that have no usable port, and why, where the technician looks for the port.
    std::string reasons;
    for (const std::string& reason : adapter_reasons(surveyed_adapters(inventory_)))
        reasons += (reasons.empty() ? "" : "\n") + reason;
    list->setToolTip(to_qstring(reasons));
}

} // namespace tervalink
