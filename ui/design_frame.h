#pragma once

#include <QColor>
#include <QGroupBox>

namespace tervalink {

// A group box drawn the way the design lays its captions out: the border runs through the middle
// of the caption line and the caption interrupts it. The options lying over the satellite groups
// rely on this, since their text must sit on the border.
class DesignFrame : public QGroupBox {
    Q_OBJECT
public:
    DesignFrame(const QString& caption, QWidget* parent);

    void set_caption_colour(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor caption_colour_;
};

} // namespace tervalink
