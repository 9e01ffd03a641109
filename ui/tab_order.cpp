#include <vector>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "controls.h"

namespace tervalink {

namespace {

// "ASTRA 4S" (12) follows "THOR" (5): the order in which the groups stand column by column.
constexpr std::array<int, slot_count> slots_by_column{0, 1, 2, 3, 4, 5, 12, 6, 7, 8, 9, 10, 11};

void append_slot(std::vector<QWidget*>& chain, const Controls& c, int slot)
{
    chain.push_back(c.txtPos[slot]);
    for (int row = 0; row < rows_per_slot; ++row)
        chain.push_back(c.chTp[row_index(slot, row)]);
    for (int row = 0; row < rows_per_slot; ++row) {
        const int index = row_index(slot, row);
        chain.insert(chain.end(), {c.txtNID[index], c.txtFreq[index], c.txtSym[index],
                                   c.txtPol[index]});
    }
}

} // namespace

void set_tab_order(const Controls& c)
{
    std::vector<QWidget*> chain{c.cboPort, c.cboBurd, c.cmdScan, c.cmdOpenSave, c.CmdConnect,
                                c.cmdSend};
    for (int slot : slots_by_column)
        chain.push_back(c.opSat[slot]);
    chain.push_back(c.opSat[auto_symbol_choice]);
    for (int slot : slots_by_column)
        append_slot(chain, c, slot);
    chain.insert(chain.end(), c.txtAutoSym.begin(), c.txtAutoSym.end());
    for (std::size_t n = 1; n < chain.size(); ++n)
        QWidget::setTabOrder(chain[n - 1], chain[n]);
}

} // namespace tervalink
