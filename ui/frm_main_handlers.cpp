#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "check_data.h"
#include "device_naming.h"
#include "file_name.h"
#include "frm_main.h"
#include "line_controls.h"
#include "message_box.h"
#include "qt_text.h"

namespace tervalink {

void frmMain::wire_handlers()
{
    for (int choice = 0; choice < choice_count; ++choice)
        connect(controls_.opSat[choice], &QRadioButton::clicked, this,
                [this, choice] { opSat_Click(choice); });
    for (int index = 0; index < tp_row_count; ++index)
        connect(controls_.chTp[index], &QCheckBox::clicked, this,
                [this, index](bool ticked) { chTp_Click(index, ticked); });
    connect(controls_.cmdScan, &QPushButton::clicked, this, &frmMain::cmdScan_Click);
    connect(controls_.cmdOpenSave, &QPushButton::clicked, this, &frmMain::cmdOpenSave_Click);
    connect(controls_.CmdConnect, &QPushButton::clicked, this, &frmMain::CmdConnect_Click);
    connect(controls_.cmdSend, &QPushButton::clicked, this, &frmMain::cmdSend_Click);
    connect(controls_.cmdCheck, &QPushButton::clicked, this, &frmMain::cmdCheck_Click);
}

// A click on the option already selected is not a new selection: the ticks the user set stay.
void frmMain::opSat_Click(int choice)
{
    if (!table_.option_set(choice))
        table_.set_option(choice);
    binding_.refresh_selection();
}

void frmMain::chTp_Click(int index, bool ticked)
{
    table_.tick(index, ticked);
    binding_.refresh_selection();
}

void frmMain::cmdScan_Click()
{
    empty_port_list();
    try {
        fill_port_list(scan_ports(inventory_, port_names_));
    } catch (const std::exception& failure) {
        show_message_box(this, QString::fromUtf8(failure.what()));
    }
}

void frmMain::cmdOpenSave_Click()
{
    const QString path = choose_data_file_(this);
    if (path.isEmpty())
        return;
    const Expected<void> imported =
        import_data_file(file_name_for_opening(path), data_file_reader_, table_);
    if (!imported)
        show_message_box(this, to_qstring(imported.failure()));
    binding_.refresh_all();
}

void frmMain::CmdConnect_Click()
{
    const bool connecting = !line_.is_open();
    // The sender lets go of the line before it closes; the update then fails as a write on the
    // closed port would.
    if (!connecting && updater_.running())
        updater_.stop(std::string(closed_port_failure));
    std::optional<std::string> failure;
    try {
        if (line_.is_open())
            line_.close();
        if (connecting)
            line_.set_port_number(port_number_from_text(to_utf8(controls_.cboPort->currentText())));
    } catch (const std::exception& error) {
        failure = error.what();
    }
    try {
        if (connecting && !failure)
            line_.open();
    } catch (const std::exception& error) {
        // An adapter that is plugged in but has no usable port often explains why.
        failure = with_adapter_reasons(error.what(), surveyed_adapters(inventory_));
    }
    show_line_state(controls_, line_);
    if (failure) {
        update_view_.show_waiting(false);
        show_message_box(this, to_qstring(*failure));
    }
}

void frmMain::cmdSend_Click()
{
    if (const UpdateStart start = updater_.run(); start.outcome == UpdateOutcome::refused)
        update_view_.show_refusal(start.refusal);
}

void frmMain::cmdCheck_Click()
{
    const CheckDataResult result = check_data(table_);
    controls_.List2->clear();
    for (const std::string& line : result.lines)
        controls_.List2->addItem(to_qstring(line));
    if (result.failure)
        show_message_box(this, to_qstring(*result.failure));
}

} // namespace tervalink
