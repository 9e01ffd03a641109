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

WindowUpdateView::~WindowUpdateView() { show_waiting(false); }

void WindowUpdateView::show_message(std::string_view text)
{
    if (!messages_suppressed_)
        show_message_box(window_, to_qstring(text));
}

void WindowUpdateView::show_status(std::string_view text)
{
    controls_.lblSystem->setText(to_qstring(text));
}

void WindowUpdateView::show_progress_maximum(int maximum) { controls_.pBar->setMaximum(maximum); }

void WindowUpdateView::show_progress(int value) { controls_.pBar->setValue(value); }

void WindowUpdateView::show_waiting(bool waiting)
{
    // The override cursor is a stack: push and pop exactly once per waiting period.
    if (waiting == waiting_)
        return;
    waiting_ = waiting;
    if (waiting)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void WindowUpdateView::show_sending(bool sending)
{
    if (sending)
        controls_.pic->start();
    else
        controls_.pic->stop();
}

void WindowUpdateView::show_failure(std::string_view description) { show_message(description); }

void WindowUpdateView::show_refusal(const UpdateRefusal& refusal)
{
    if (refusal.clash)
        show_status(refusal.message);
    show_message(refusal.message);
}

void WindowUpdateView::drop_connection()
{
    if (line_.is_open())
        line_.close();
    show_line_state(controls_, line_);
}

} // namespace tervalink
