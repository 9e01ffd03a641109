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
#include "controls.h"
#include "design_frame.h"
#include "design_layout.h"
#include "lamp.h"
#include "qt_text.h"
#include "window_design.h"

namespace tervalink {

namespace {

using design::Alignment;
using design::Kind;

// Every control gets its font explicitly, so a bold group caption never spreads to its contents.
QFont design_font(double points, bool bold = false)
{
    QFont font = caption_font();
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QColor colour_of(std::uint32_t rgb)
{
    return QColor(static_cast<int>(rgb & 0xff), static_cast<int>((rgb >> 8) & 0xff),
                  static_cast<int>((rgb >> 16) & 0xff));
}

Qt::Alignment horizontal(Alignment alignment)
{
    switch (alignment) {
    case Alignment::centre:
        return Qt::AlignHCenter;
    case Alignment::right:
        return Qt::AlignRight;
    case Alignment::left:
        break;
    }
    return Qt::AlignLeft;
}

QWidget* create(const design::Control& control, QWidget* parent)
{
    const QString text = to_qstring(control.text);
    switch (control.kind) {
    case Kind::frame:
        return new DesignFrame(text, parent);
    case Kind::label:
        return new QLabel(text, parent);
    case Kind::text_box:
        return new QLineEdit(text, parent);
    case Kind::check_box:
        return new QCheckBox(text, parent);
    case Kind::option:
        return new QRadioButton(text, parent);
    case Kind::drop_down:
        return new QComboBox(parent);
    case Kind::button:
        return new QPushButton(text, parent);
    case Kind::progress_bar:
        return new QProgressBar(parent);
    case Kind::lamp:
        return new Lamp(parent);
    case Kind::list_box:
        return new QListWidget(parent);
    }
    return nullptr;
}

// What each kind of control needs beyond its name, font and box.
void set_up(QWidget* widget, const design::Control& control)
{
    switch (control.kind) {
    case Kind::frame:
        if (control.caption_colour)
            static_cast<DesignFrame*>(widget)->set_caption_colour(colour_of(*control.caption_colour));
        break;
    case Kind::label:
        static_cast<QLabel*>(widget)->setAlignment(horizontal(control.alignment) | Qt::AlignVCenter);
        break;
    case Kind::text_box: {
        auto* edit = static_cast<QLineEdit*>(widget);
        edit->setMaxLength(static_cast<int>(control.max_length));
        edit->setAlignment(horizontal(control.alignment));
        break;
    }
    case Kind::drop_down: {
        auto* combo = static_cast<QComboBox*>(widget);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        for (const std::string& item : control.items)
            combo->addItem(to_qstring(item));
        break;
    }
    case Kind::progress_bar: {
        auto* bar = static_cast<QProgressBar*>(widget);
        bar->setRange(0, control.maximum);
        bar->setValue(bar->minimum());
        bar->setTextVisible(false);
        break;
    }
    case Kind::option:
        // The model keeps the single selection; each option paints its own background to hide
        // the group border under its text.
        static_cast<QRadioButton*>(widget)->setAutoExclusive(false);
        widget->setAutoFillBackground(true);
        break;
    case Kind::check_box:
    case Kind::button:
    case Kind::lamp:
    case Kind::list_box:
        break;
    }
    if (!control.enabled)
        widget->setEnabled(false);
    if (!control.visible)
        widget->hide();
}

template <typename Widget>
Widget* named(const Controls& c, std::string_view name, int index = design::single)
{
    return static_cast<Widget*>(c.all.at(design::position_of(name, index)));
}

template <typename Widget, std::size_t count>
void fill(std::array<Widget*, count>& array, const Controls& c, std::string_view name)
{
    for (std::size_t k = 0; k < count; ++k)
        array[k] = named<Widget>(c, name, static_cast<int>(k));
}

void find_named_controls(Controls& c)
{
    c.Frame1 = named<QGroupBox>(c, "Frame1");
    c.cboPort = named<QComboBox>(c, "cboPort");
    c.cboBurd = named<QComboBox>(c, "cboBurd");
    c.cmdScan = named<QPushButton>(c, "cmdScan");
    c.cmdOpenSave = named<QPushButton>(c, "cmdOpenSave");
    c.CmdConnect = named<QPushButton>(c, "CmdConnect");
    c.cmdSend = named<QPushButton>(c, "cmdSend");
    c.cmdCheck = named<QPushButton>(c, "cmdCheck");
    c.pBar = named<QProgressBar>(c, "pBar");
    c.Label2 = named<QLabel>(c, "Label2");
    c.lblSystem = named<QLabel>(c, "lblSystem");
    c.pic = named<Lamp>(c, "pic");
    c.List2 = named<QListWidget>(c, "List2");
    fill(c.Frame2, c, "Frame2");
    fill(c.opSat, c, "opSat");
    fill(c.txtPos, c, "txtPos");
    fill(c.chTp, c, "chTp");
    fill(c.txtNID, c, "txtNID");
    fill(c.txtFreq, c, "txtFreq");
    fill(c.txtSym, c, "txtSym");
    fill(c.txtPol, c, "txtPol");
    fill(c.txtAutoSym, c, "txtAutoSym");
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
    window->setFont(design_font(caption_design_points));
    Controls controls;
    for (const design::Control& control : design::window_controls()) {
        QWidget* parent = control.container == design::on_window
                              ? window
                              : controls.all.at(static_cast<std::size_t>(control.container));
        QWidget* widget = create(control, parent);
        widget->setObjectName(to_qstring(control.object_name()));
        widget->setFont(design_font(control.points, control.bold));
        // An option grows to the height its indicator needs: the AUTO SYMBOL option is designed
        // lower than the style's.
        design.place(widget, control.box, control.points, control.kind == Kind::option);
        set_up(widget, control);
        controls.all.push_back(widget);
    }
    find_named_controls(controls);
    return controls;
}

} // namespace tervalink
