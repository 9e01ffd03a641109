#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tervalink {

class SerialLine;

struct ConnectionOutcome {
    bool connected = false;             // caption "DISCONNECT" and UPDATE enabled when true
    std::optional<std::string> failure; // shown in a message box when set
};

// What CONNECT / DISCONNECT does: with the caption "CONNECT" close the port if open, read the port
// number from the port box text and open it; otherwise close the port. Any failure leaves the
// window not connected, with the failure's description.
ConnectionOutcome toggle_connection(SerialLine& line, bool caption_is_connect,
                                    std::string_view port_box_text);

} // namespace tervalink
