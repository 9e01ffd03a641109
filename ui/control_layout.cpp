#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QString>

#include "caption_font.h"
#include "captions.h"
#include "controls.h"
#include "design_frame.h"
#include "design_layout.h"
#include "design_scale.h"
#include "lamp.h"
#include "qt_text.h"
#include "twips.h"

namespace tervalink {

namespace {

constexpr double design_points = caption_design_points;
constexpr double position_points = 9.75;
const QString blank_group_caption(36, QLatin1Char(' '));
const QColor caption_red(255, 0, 0);

struct Cell {
    int left;
    int top;
};

// Where each choice's group stands: four columns, four rows, SYSTEM in the first two top cells.
constexpr std::array<Cell, choice_count> group_cells{{
    {120, 2040}, {120, 3960}, {120, 5880},        // ASTRA 2, ASTRA 3, ASTRA 1
    {4920, 2040}, {4920, 3960}, {4920, 5880},     // HOTBIRD, ASTRA 4N, THOR
    {9720, 2040}, {9720, 3960}, {9720, 5880},     // AB3, EUTELSAT 9A, USER 1
    {14520, 120}, {14520, 2040}, {14520, 3960},   // USER 2, USER 3, USER 4
    {9720, 120}, {14520, 5880},                   // ASTRA 4S, AUTO SYMBOL
}};

constexpr int group_width = 4695;
constexpr int group_height = 1695;

// Every control gets its font explicitly, so a bold group caption never spreads to its contents.
QFont design_font(double points, bool bold = false)
{
    QFont font = caption_font();
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

template <typename Widget>
Widget* place(DesignLayout& design, Widget* widget, const QString& name, TwipsRect box,
              double points = design_points, bool grows = false)
{
    widget->setObjectName(name);
    widget->setFont(design_font(points));
    design.place(widget, box, points, grows);
    return widget;
}

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

QLineEdit* text_box(DesignLayout& design, QWidget* parent, const QString& name, TwipsRect box,
                    Field field, Qt::Alignment alignment, double points = design_points)
{
    auto* edit = place(design, new QLineEdit(parent), name, box, points);
    edit->setMaxLength(static_cast<int>(field_limit(field)));
    edit->setAlignment(alignment);
    return edit;
}

QPushButton* button(DesignLayout& design, QWidget* parent, const char* name, const char* caption,
                    TwipsRect box)
{
    return place(design, new QPushButton(QString::fromLatin1(caption), parent),
                 QString::fromLatin1(name), box);
}

QComboBox* drop_down(DesignLayout& design, QWidget* parent, const char* name, TwipsRect box)
{
    auto* combo = place(design, new QComboBox(parent), QString::fromLatin1(name), box);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

void build_system_group(DesignLayout& design, QWidget* window, Controls& c)
{
    auto* system = place(design, new DesignFrame(QString::fromLatin1(caption::system_group), window),
                         QStringLiteral("Frame1"), TwipsRect{120, 120, 9495, 1695});
    system->setFont(design_font(design_points, true));
    system->set_caption_colour(caption_red);
    c.Frame1 = system;
    c.cboPort = drop_down(design, c.Frame1, "cboPort", TwipsRect{840, 360, 1215, 315});
    c.cboBurd = drop_down(design, c.Frame1, "cboBurd", TwipsRect{2160, 360, 1215, 315});
    for (const char* rate : caption::baud_rates)
        c.cboBurd->addItem(QString::fromLatin1(rate));
    c.cmdScan = button(design, c.Frame1, "cmdScan", caption::scan_ports, TwipsRect{3600, 240, 1095, 500});
    c.cmdOpenSave = button(design, c.Frame1, "cmdOpenSave", caption::open_data_file,
                           TwipsRect{4800, 240, 1695, 500});
    c.CmdConnect =
        button(design, c.Frame1, "CmdConnect", caption::connect, TwipsRect{6720, 240, 1335, 500});
    c.pBar = place(design, new QProgressBar(c.Frame1), QStringLiteral("pBar"),
                   TwipsRect{840, 960, 8535, 375});
    c.pBar->setRange(0, 100);
    c.pBar->setValue(0);
    c.pBar->setTextVisible(false);
    c.Label2 = place(design, new QLabel(QString::fromLatin1(caption::status), c.Frame1),
                     QStringLiteral("Label2"), TwipsRect{240, 1320, 615, 255});
    c.lblSystem = place(design, new QLabel(c.Frame1), QStringLiteral("lblSystem"),
                        TwipsRect{840, 1320, 8295, 255});

    // UPDATE and the lamp stand on the window, drawn over the SYSTEM group.
    c.cmdSend = button(design, window, "cmdSend", caption::update, TwipsRect{8280, 360, 1215, 500});
    c.cmdSend->setEnabled(false);
    c.pic = place(design, new Lamp(window), QStringLiteral("pic"), TwipsRect{360, 1080, 500, 245});
}

void build_tp_row(DesignLayout& design, QGroupBox* group, Controls& c, int slot, int row)
{
    const int index = row_index(slot, row);
    const int top = 480 + 360 * row;
    c.chTp[index] = place(design, new QCheckBox(QStringLiteral("TP%1").arg(row + 1), group),
                          indexed("chTp", index), TwipsRect{1320, top, 735, 255});
    const auto box = [&](const char* name, int left, Field field, Qt::Alignment alignment) {
        return text_box(design, group, indexed(name, index), TwipsRect{left, top, 550, 315}, field,
                        alignment);
    };
    c.txtNID[index] = box("txtNID", 2160, Field::nid, Qt::AlignRight);
    c.txtFreq[index] = box("txtFreq", 2760, Field::freq, Qt::AlignRight);
    c.txtSym[index] = box("txtSym", 3360, Field::symb, Qt::AlignRight);
    c.txtPol[index] = box("txtPol", 3960, Field::pol, Qt::AlignHCenter);
}

void build_slot_contents(DesignLayout& design, QGroupBox* group, Controls& c, int slot)
{
    auto* position_label = place(design, new QLabel(QString::fromLatin1(caption::position), group),
                                 indexed("Label1", 2 * slot), TwipsRect{240, 480, 855, 255});
    position_label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    c.txtPos[slot] = text_box(design, group, indexed("txtPos", slot), TwipsRect{240, 840, 855, 360},
                              Field::position, Qt::AlignHCenter, position_points);
    place(design, new QLabel(QString::fromLatin1(caption::tp_columns), group), indexed("Label1", 2 * slot + 1),
          TwipsRect{2160, 240, 2415, 255});
    for (int row = 0; row < rows_per_slot; ++row)
        build_tp_row(design, group, c, slot, row);
}

void build_auto_symbol_contents(DesignLayout& design, QGroupBox* group, Controls& c)
{
    for (int k = 0; k < auto_rate_count; ++k) {
        const TwipsRect box{360 + 900 * (k % 5), k < 5 ? 480 : 1080, 600, 285};
        c.txtAutoSym[k] = text_box(design, group, indexed("txtAutoSym", k), box, Field::auto_rate,
                                   Qt::AlignRight);
    }
}

int option_width(int choice)
{
    switch (choice) {
    case 0:
    case 7:
        return 1455;
    case 6:
        return 1095;
    case 9:
        return 1695;
    default:
        return 1335;
    }
}

TwipsRect option_box(int choice)
{
    if (choice == auto_symbol_choice)
        return TwipsRect{14640, 5910, 1695, 195};
    const Cell cell = group_cells[static_cast<std::size_t>(choice)];
    const int indent = cell.left == 120 ? 120 : 240;
    return TwipsRect(cell.left + indent, cell.top - 120, option_width(choice), 495);
}

void build_satellite_groups(DesignLayout& design, QWidget* window, Controls& c)
{
    for (int k = 0; k < choice_count; ++k) {
        const Cell cell = group_cells[static_cast<std::size_t>(k)];
        auto* group =
            place(design, new DesignFrame(blank_group_caption, window), indexed("Frame2", k),
                  TwipsRect{cell.left, cell.top, group_width, group_height});
        c.Frame2[k] = group;
        if (k == auto_symbol_choice)
            build_auto_symbol_contents(design, group, c);
        else
            build_slot_contents(design, group, c, k);
    }
    // The options lie over the group borders as their captions; all stand on the window so they
    // form one group, and each paints its own background to hide the border under its text.
    for (int k = 0; k < choice_count; ++k) {
        // The AUTO SYMBOL option is designed lower than the style's option indicator; it grows
        // so the indicator is not cut off.
        auto* option = place(design, new QRadioButton(to_qstring(choice_name(k)), window),
                             indexed("opSat", k), option_box(k), design_points, true);
        option->setAutoExclusive(false); // the model keeps the single selection
        option->setAutoFillBackground(true);
        c.opSat[k] = option;
    }
}

void build_hidden_controls(DesignLayout& design, QWidget* window, Controls& c)
{
    c.List2 = place(design, new QListWidget(window), QStringLiteral("List2"),
                    TwipsRect{120, 7800, 10215, 2595});
    c.List2->hide();
    c.cmdCheck =
        button(design, window, "cmdCheck", caption::check_data, TwipsRect{10800, 7800, 8295, 2655});
    c.cmdCheck->hide();
}

} // namespace

QLineEdit* Controls::edit(Field field, int index) const
{
    const auto at = [index](const auto& boxes) {
        return boxes.at(static_cast<std::size_t>(index));
    };
    switch (field) {
    case Field::position:
        return at(txtPos);
    case Field::nid:
        return at(txtNID);
    case Field::freq:
        return at(txtFreq);
    case Field::symb:
        return at(txtSym);
    case Field::pol:
        return at(txtPol);
    case Field::auto_rate:
        return at(txtAutoSym);
    }
    return nullptr;
}

Controls build_controls(QWidget* window, DesignLayout& design)
{
    window->setFont(design_font(design_points));
    Controls controls;
    build_system_group(design, window, controls);
    build_satellite_groups(design, window, controls);
    build_hidden_controls(design, window, controls);
    controls.cmdSend->raise();
    controls.pic->raise();
    return controls;
}

} // namespace tervalink
