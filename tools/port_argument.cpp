#include "port_argument.h"

#include <QCoreApplication>

#include "arguments.h"
#include "device_naming.h"
#include "serial_line.h"

namespace tervalink::frames_tool {

PortArgument resolve_port(const std::string& text)
{
    if (text.starts_with("/"))
        return {text, text};
    if (!text.starts_with("COM "))
        throw UsageError("PORT must be \"COM n\" as in the port box (e.g. \"COM 100\") or a device "
                         "path such as /dev/ttyUSB0");
    const std::int16_t number = port_number_from_text(text);
    const std::string path = device_path_for_port(number);
    return {path, port_label(number, path)};
}

} // namespace tervalink::frames_tool

namespace tervalink::frames_tool {

std::unique_ptr<QCoreApplication> ensure_application()
{
    if (QCoreApplication::instance())
        return nullptr;
    static int argc = 1;
    static char name[] = "tervalink-frames";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QCoreApplication>(argc, argv);
}

} // namespace tervalink::frames_tool
