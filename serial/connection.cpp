#include "connection.h"

#include "failure.h"
#include "serial_line.h"

namespace tervalink {

ConnectionOutcome toggle_connection(SerialLine& line, bool caption_is_connect,
                                    std::string_view port_box_text)
{
    try {
        if (line.is_open())
            line.close();
        if (!caption_is_connect)
            return {};
        line.set_port_number(port_number_from_text(port_box_text));
        line.open();
        return {.connected = true, .failure = std::nullopt};
    } catch (const Failure& failure) {
        return {.connected = false, .failure = failure.what()};
    }
}

} // namespace tervalink
