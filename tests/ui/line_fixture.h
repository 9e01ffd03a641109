#pragma once

#include <cstdint>
#include <vector>

#include <QTemporaryDir>

#include "held_clock.h"
#include "pseudo_terminal.h"
#include "window_fixture.h"

namespace tervalink::test {

inline const QString pty_port_text = QStringLiteral("COM 107"); // <device root>/ttyUSB7

// The window with a pseudo-terminal as its serial device: "COM 107" reaches the pty through a
// device root of the test's own that holds ttyUSB7. Updates run on a held clock, unless the
// test gives the window another one.
class LineFixture {
public:
    // `far_end_path`: the slave of a far end of the test's own instead of `pty`.
    explicit LineFixture(TransmissionClock* clock = nullptr, const std::string& far_end_path = {});

    WindowFixture& ui() { return *ui_; }
    // Types the port box text and presses CONNECT.
    void press_connect(const QString& port_text = pty_port_text);
    // Every byte that has reached the far end of the line so far.
    const std::vector<std::uint8_t>& received();
    // Whether another program could open the device now (the window has let go of it).
    bool device_free() const;
    std::string device_path() const; // what "COM 107" opens

    HeldClock clock;
    PseudoTerminal pty;

private:
    QTemporaryDir device_root_;
    std::unique_ptr<WindowFixture> ui_;
    std::vector<std::uint8_t> received_;
};

} // namespace tervalink::test
