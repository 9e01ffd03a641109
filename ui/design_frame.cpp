#include "design_frame.h"

#include <QPainter>
#include <qdrawutil.h>

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

    const QRect caption(caption_indent + caption_padding, 0, metrics.horizontalAdvance(title()),
                        metrics.height());
    painter.fillRect(caption.adjusted(-caption_padding, 0, caption_padding, 0), palette().window());
    painter.setPen(caption_colour_);
    painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, title());
}

} // namespace tervalink
