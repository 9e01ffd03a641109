#include "window_update_view.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "lamp.h"
#include "line_controls.h"
#include "message_box.h"
#include "qt_text.h"
#include "serial_line.h"

namespace tervalink {

WindowUpdateView::WindowUpdateView(QWidget* window, const Controls& controls, SerialLine& line)
    : window_(window), controls_(controls), line_(line)
{
}

WindowUpdateView::~WindowUpdateView() { set_busy(false); }

void WindowUpdateView::show_message(std::string_view text)
{
    if (!messages_suppressed_)
        show_message_box(window_, to_qstring(text));
}

void WindowUpdateView::set_status(std::string_view text)
{
    controls_.lblSystem->setText(to_qstring(text));
}

void WindowUpdateView::set_progress_maximum(int maximum) { controls_.pBar->setMaximum(maximum); }

void WindowUpdateView::set_progress_value(int value) { controls_.pBar->setValue(value); }

void WindowUpdateView::set_busy(bool busy)
{
    // The override cursor is a stack: push and pop exactly once per busy period.
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void WindowUpdateView::start_lamp() { controls_.pic->start(); }

void WindowUpdateView::stop_lamp() { controls_.pic->stop(); }

void WindowUpdateView::disconnect_after_error()
{
    if (line_.is_open())
        line_.close();
    show_line_state(controls_, line_);
}

} // namespace tervalink
