#pragma once

#include <memory>
#include <string>
#include <string_view>

#include <QSerialPort>

namespace tervalink {

// Opens a device at the line settings of the antenna unit (57600 baud, 8 data bits, no parity,
// one stop bit, no flow control), for this program alone. Throws Failure naming `label`.
std::unique_ptr<QSerialPort> open_serial_port(const std::string& device_path,
                                              const std::string& label, QIODevice::OpenMode mode);

// The failure description of an open that Qt refused. The device counts as accessible when this
// user may read and write it, which tells "in use" from "permission denied".
std::string describe_open_failure(std::string_view label, QSerialPort::SerialPortError error,
                                  bool device_accessible, std::string_view system_text);

} // namespace tervalink
