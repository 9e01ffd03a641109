#include "design_frame.h"

#include <cmath>

#include <QPainter>
#include <qdrawutil.h>

#include "design_fonts.h"

namespace tervalink {

namespace {
constexpr int caption_indent = 6;
constexpr int caption_padding = 2; // clear space between the caption and the cut border
} // namespace

DesignFrame::DesignFrame(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), caption_colour_(palette().color(QPalette::WindowText))
{
}

void DesignFrame::set_caption_colour(const QColor& colour)
{
    caption_colour_ = colour;
    update();
}

void DesignFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    // An etched line; the style's own group-box frame would leave room for a title row above it.
    qDrawShadeRect(&painter, rect().adjusted(0, metrics.height() / 2, 0, 0), palette(), true);

    // The caption's indent and clear space are the design's at its font size, and scale with it.
    const double scale = font().pointSizeF() / caption_design_points;
    const int indent = static_cast<int>(std::lround(caption_indent * scale));
    const int padding = static_cast<int>(std::lround(caption_padding * scale));
    const QRect caption(indent + padding, 0, metrics.horizontalAdvance(title()), metrics.height());
    painter.fillRect(caption.adjusted(-padding, 0, padding, 0), palette().window());
    painter.setPen(caption_colour_);
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, title());
}

} // namespace tervalink
