#include "lamp.h"

#include "window_design.h"

namespace tervalink {

namespace {
const QColor lamp_blue(0, 0, 255);
const QColor lamp_white(255, 255, 255);
} // namespace

Lamp::Lamp(QWidget* parent) : QFrame(parent), Timer2_(this)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setAutoFillBackground(true);
    Timer2_.setObjectName(QStringLiteral("Timer2"));
    Timer2_.setInterval(design::lamp_blink_ms);
    connect(&Timer2_, &QTimer::timeout, this, &Lamp::Timer2_Timer);
    // At rest the lamp shows the system window colour, which is not blue, so the first tick
    // after start turns it blue.
    paint(palette().color(QPalette::Base));
}

void Lamp::start() { Timer2_.start(); }

void Lamp::stop()
{
    Timer2_.stop();
    paint(lamp_white);
}

void Lamp::Timer2_Timer() { paint(colour_ == lamp_blue ? lamp_white : lamp_blue); }

void Lamp::paint(const QColor& colour)
{
    colour_ = colour;
    QPalette lamp_palette = palette();
    lamp_palette.setColor(QPalette::Window, colour);
    setPalette(lamp_palette);
}

} // namespace tervalink
