#pragma once

#include "controls.h"
#include "update_run.h"

class QWidget;

namespace tervalink {

class SerialLine;

// What an update shows, on the window's own controls.
class WindowUpdateView : public UpdateView {
public:
    WindowUpdateView(QWidget* window, const Controls& controls, SerialLine& line);
    ~WindowUpdateView() override;
    WindowUpdateView(const WindowUpdateView&) = delete;
    WindowUpdateView& operator=(const WindowUpdateView&) = delete;

    void show_status(std::string_view text) override;
    void show_progress_maximum(int maximum) override;
    void show_progress(int value) override;
    void show_waiting(bool waiting) override;
    void show_sending(bool sending) override;
    void drop_connection() override;
    void show_failure(std::string_view description) override;

    // An update refused before it started: a clash on the status line too, then the message box.
    void show_refusal(const UpdateRefusal& refusal);

    // The window is closing: nothing more may wait for the user.
    void suppress_messages() { messages_suppressed_ = true; }

private:
    QWidget* window_;
    const Controls& controls_;
    SerialLine& line_;
    void show_message(std::string_view text);

    bool waiting_ = false;
    bool messages_suppressed_ = false;
};

} // namespace tervalink
