#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QScreen>
#include <QString>
#include <QWidget>

#include "controls.h"
#include "data_file.h"
#include "design_layout.h"
#include "device_naming.h"
#include "port_discovery.h"
#include "satellite_table.h"
#include "serial_line.h"
#include "sleep_guard.h"
#include "table_binding.h"
#include "transmission_clock.h"
#include "update_run.h"
#include "window_update_view.h"

namespace tervalink {

// Asks the user for a data file; an empty path means nothing was chosen.
using DataFileChooser = std::function<QString(QWidget* parent)>;

// The platform's standard open dialog with its defaults: no filter, title or start folder.
QString choose_data_file_with_dialog(QWidget* parent);

struct FrmMainDependencies {
    DeviceInventory& inventory;
    TransmissionClock* clock = nullptr; // the machine's monotonic clock when none is given
    SleepGuard* sleep_guard = nullptr;  // the system's when none is given
    DataFileChooser choose_data_file = choose_data_file_with_dialog;
    std::string device_root{default_device_root}; // where "COM n" devices are found
};

// The program's only window: a view of the satellite table whose handlers call into the core and
// the serial line. It owns all state of the run.
class frmMain : public QWidget {
    Q_OBJECT
public:
    explicit frmMain(FrmMainDependencies dependencies, QWidget* parent = nullptr);
    ~frmMain() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // The design scaled to the screen the window stands on (window_scaling.cpp).
    void fit_to_screen();
    void follow_screen(QScreen* screen);
    void keep_on_screen();

    void Form_Load();
    void wire_handlers();
    void fill_port_list(const std::vector<PortEntry>& entries);
    void empty_port_list();

    void opSat_Click(int choice);
    void chTp_Click(int index, bool ticked);
    void cmdScan_Click();
    void cmdOpenSave_Click();
    void CmdConnect_Click();
    void cmdSend_Click();
    void cmdCheck_Click();

    DeviceInventory& inventory_;
    DataFileChooser choose_data_file_;
    SatelliteTable table_;
    DataFileReader data_file_reader_; // keeps the import buffers from one import to the next
    PortNames port_names_;
    SerialLine line_;
    MonotonicClock monotonic_clock_;
    SystemSleepGuard system_sleep_guard_;
    DesignLayout design_;
    // What the design was last fitted to: the screen's device pixel ratio, and the frame.
    double design_ratio_ = 0;
    QMargins design_frame_;
    std::vector<QMetaObject::Connection> screen_watch_;
    Controls controls_;
    TableBinding binding_;
    WindowUpdateView update_view_;
    Updater updater_;
    std::optional<QString> startup_failure_;
};

} // namespace tervalink
