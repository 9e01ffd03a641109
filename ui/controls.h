#pragma once

#include <array>
#include <vector>

#include "satellite_table.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;

namespace tervalink {

class DesignLayout;
class Lamp;

// Every control of the window, named as the design names them; arrays are indexed by choice,
// slot, TP row index or auto symbol-rate index.
struct Controls {
    QGroupBox* Frame1 = nullptr;
    QComboBox* cboPort = nullptr;
    QComboBox* cboBurd = nullptr;
    QPushButton* cmdScan = nullptr;
    QPushButton* cmdOpenSave = nullptr;
    QPushButton* CmdConnect = nullptr;
    QPushButton* cmdSend = nullptr;
    QPushButton* cmdCheck = nullptr;
    QProgressBar* pBar = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lblSystem = nullptr;
    Lamp* pic = nullptr;
    QListWidget* List2 = nullptr;

    std::array<QGroupBox*, choice_count> Frame2{};
    std::array<QRadioButton*, choice_count> opSat{};
    std::array<QLineEdit*, slot_count> txtPos{};
    std::array<QCheckBox*, tp_row_count> chTp{};
    std::array<QLineEdit*, tp_row_count> txtNID{}, txtFreq{}, txtSym{}, txtPol{};
    std::array<QLineEdit*, auto_rate_count> txtAutoSym{};

    // Every control, in the order of the design's table (design::window_controls()).
    std::vector<QWidget*> all;

    // The box that shows one text field of the satellite table.
    QLineEdit* edit(Field field, int index) const;
};

// Creates every control of the design's table on the window in its design-time state, each
// placed in `design`.
Controls build_controls(QWidget* window, DesignLayout& design);

// Chains the controls that take focus in the design's tab order.
void set_tab_order(const Controls& controls);

} // namespace tervalink
