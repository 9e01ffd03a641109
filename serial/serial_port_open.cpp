#include "serial_port_open.h"

#include <QFileInfo>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "failure.h"

namespace tervalink {

namespace {

void apply_line_settings(QSerialPort& port)
{
    port.setBaudRate(QSerialPort::Baud57600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
}

// Qt locks a port under its name, so a symbolic link and its target would lock apart: the
// target's own path makes a second opener of the same device fail whatever name it used.
QString lockable_name(const std::string& device_path)
{
    const QString path = QString::fromStdString(device_path);
#ifdef _WIN32
    return path;
#else
    const QString target = QFileInfo(path).canonicalFilePath();
    return target.isEmpty() ? path : target;
#endif
}

bool user_may_use(const std::string& device_path)
{
#ifdef _WIN32
    (void)device_path;
    return true; // Windows refuses a port held by another program with "access denied"
#else
    return ::access(device_path.c_str(), R_OK | W_OK) == 0;
#endif
}

std::string permission_advice()
{
#ifdef _WIN32
    return "permission denied";
#else
    return "permission denied; add your user to the dialout group";
#endif
}

} // namespace

std::string describe_open_failure(std::string_view label, QSerialPort::SerialPortError error,
                                  bool device_accessible, std::string_view system_text)
{
    const std::string prefix = "Cannot open " + std::string(label) + ": ";
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return prefix + "no such device";
    case QSerialPort::PermissionError:
        return prefix + (device_accessible ? "it is in use by another program" : permission_advice());
    default:
        return prefix + std::string(system_text);
    }
}

std::unique_ptr<QSerialPort> open_serial_port(const std::string& device_path,
                                              const std::string& label, QIODevice::OpenMode mode)
{
    auto port = std::make_unique<QSerialPort>();
    port->setPortName(lockable_name(device_path));
    apply_line_settings(*port);
    if (!port->open(mode))
        throw Failure(describe_open_failure(label, port->error(), user_may_use(device_path),
                                            port->errorString().toStdString()));
    return port;
}

} // namespace tervalink
