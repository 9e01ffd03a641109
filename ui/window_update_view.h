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

    void show_message(std::string_view text) override;
    void set_status(std::string_view text) override;
    void set_progress_maximum(int maximum) override;
    void set_progress_value(int value) override;
    void set_busy(bool busy) override;
    void start_lamp() override;
    void stop_lamp() override;
    void disconnect_after_error() override;

    // The window is closing: nothing more may wait for the user.
    void suppress_messages() { messages_suppressed_ = true; }

private:
    QWidget* window_;
    const Controls& controls_;
    SerialLine& line_;
    bool busy_ = false;
    bool messages_suppressed_ = false;
};

} // namespace tervalink
