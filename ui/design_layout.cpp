#include "design_layout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>

#include "design_scale.h"
#include "indicator_style.h"

namespace tervalink {

namespace {

// A push button's frame takes 4 pixels on each side.
constexpr int button_frame = 8;

QString caption_of(const QWidget* control)
{
    if (const auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    return {};
}

// The width a caption has in its control: beside the indicator of an option or tick, within a
// button's frame, or the whole label.
int caption_room(const QWidget* control)
{
    const bool option = qobject_cast<const QRadioButton*>(control) != nullptr;
    if (option || qobject_cast<const QCheckBox*>(control) != nullptr) {
        QStyleOptionButton style_option;
        style_option.initFrom(control);
        return control->style()
            ->subElementRect(option ? QStyle::SE_RadioButtonContents
                                    : QStyle::SE_CheckBoxContents,
                             &style_option, control)
            .width();
    }
    return control->width() - (qobject_cast<const QPushButton*>(control) ? button_frame : 0);
}

QRect pixel_rect(TwipsRect box, double factor)
{
    const PixelRect pixels = twips_to_pixels(box, factor);
    return {pixels.x, pixels.y, pixels.width, pixels.height};
}

QFont sized(QFont font, double points)
{
    font.setPointSizeF(points);
    return font;
}

} // namespace

DesignLayout::DesignLayout(QWidget* window, TwipsRect client_area, double window_points)
    : window_(window), client_area_(client_area), window_points_(window_points),
      indicators_(new IndicatorStyle(window))
{
}

QSize DesignLayout::design_size() const { return pixel_rect(client_area_, 1.0).size(); }

void DesignLayout::place(QWidget* control, TwipsRect box, double points, bool grows)
{
    if (qobject_cast<QCheckBox*>(control) || qobject_cast<QRadioButton*>(control))
        control->setStyle(indicators_);
    QPoint parent;
    for (const Placement& placed : placements_)
        if (placed.control == control->parentWidget())
            parent = {placed.box.left, placed.box.top};
    const TwipsRect in_window{parent.x() + box.left, parent.y() + box.top, box.width, box.height};
    placements_.push_back({control, in_window, parent, points, grows});
}

void DesignLayout::apply(double factor, double device_pixel_ratio)
{
    factor_ = factor;
    indicators_->set_factor(factor);
    window_->setFixedSize(pixel_rect(client_area_, factor).size());
    for (const Placement& placed : placements_) {
        const QPoint parent(twips_to_pixels(placed.parent.x(), factor),
                            twips_to_pixels(placed.parent.y(), factor));
        placed.control->setGeometry(pixel_rect(placed.box, factor).translated(-parent));
    }

    text_scale_ = factor;
    const double smallest = 1 / (caption_design_pixels * device_pixel_ratio);
    while (!captions_fit(text_scale_) && text_scale_ > smallest)
        text_scale_ = next_smaller_text_scale(text_scale_, device_pixel_ratio);
    set_fonts(text_scale_);

    for (const Placement& placed : placements_) {
        if (!placed.grows)
            continue;
        const QRect box = placed.control->geometry();
        const int missing = placed.control->sizeHint().height() - box.height();
        if (missing > 0)
            placed.control->setGeometry(box.adjusted(0, -missing / 2, 0, missing - missing / 2));
    }
}

// Captions are measured at their resting weight, so that the scale does not depend on which
// choice is selected at the time (the selected one's captions are bold).
bool DesignLayout::captions_fit(double text_scale) const
{
    for (const Placement& placed : placements_) {
        const QString caption = caption_of(placed.control);
        if (caption.isEmpty())
            continue;
        QFont resting = sized(placed.control->font(), placed.points * text_scale);
        resting.setBold(false);
        const QFontMetricsF metrics(resting);
        if (metrics.horizontalAdvance(caption) > caption_room(placed.control))
            return false;
    }
    return true;
}

void DesignLayout::set_fonts(double text_scale) const
{
    window_->setFont(sized(window_->font(), window_points_ * text_scale));
    for (const Placement& placed : placements_)
        placed.control->setFont(sized(placed.control->font(), placed.points * text_scale));
}

} // namespace tervalink
