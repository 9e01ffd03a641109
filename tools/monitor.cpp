#include "monitor.h"

#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>
#include <span>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>

#include "exit_codes.h"
#include "failure.h"
#include "frame_decoder.h"
#include "port_argument.h"
#include "serial_line.h"
#include "serial_port_open.h"

namespace tervalink::frames_tool {
namespace {

// Short enough that Ctrl-C ends the monitor at once, long enough that an idle line costs nothing.
constexpr int read_poll_ms = 100;

std::atomic<bool> stop_requested{false};

void request_stop(int)
{
    stop_requested = true;
}

// Ctrl-C ends the listening loop instead of the process, so the last frames still get printed.
class InterruptHandler {
public:
    InterruptHandler()
    {
        stop_requested = false;
        previous_ = std::signal(SIGINT, request_stop);
    }
    ~InterruptHandler() { std::signal(SIGINT, previous_); }
    InterruptHandler(const InterruptHandler&) = delete;
    InterruptHandler& operator=(const InterruptHandler&) = delete;

private:
    void (*previous_)(int) = nullptr;
};

class FramePrinter {
public:
    explicit FramePrinter(std::ostream& out) : out_(out) { clock_.start(); }

    void print(const std::vector<DecodedFrame>& frames)
    {
        const qint64 now = clock_.elapsed();
        for (const DecodedFrame& frame : frames) {
            out_ << stamp(now) << "  " << gap(now) << "  " << describe_frame(frame) << '\n';
            previous_ = now;
        }
        out_.flush();
    }

private:
    static std::string stamp(qint64 ms)
    {
        std::array<char, 32> text{};
        std::snprintf(text.data(), text.size(), "%10.3f s", double(ms) / 1000.0);
        return text.data();
    }

    std::string gap(qint64 now) const
    {
        std::array<char, 32> text{};
        if (previous_)
            std::snprintf(text.data(), text.size(), "%+8lld ms", static_cast<long long>(now - *previous_));
        else
            std::snprintf(text.data(), text.size(), "%11s", "first");
        return text.data();
    }

    std::ostream& out_;
    QElapsedTimer clock_;
    std::optional<qint64> previous_;
};

std::span<const std::uint8_t> as_bytes(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()),
            static_cast<std::size_t>(data.size())};
}

// Reads until Ctrl-C; false when the line failed.
bool listen(QSerialPort& port, FrameDecoder& decoder, FramePrinter& printer)
{
    while (!stop_requested) {
        if (port.waitForReadyRead(read_poll_ms)) {
            printer.print(decoder.feed(as_bytes(port.readAll())));
            continue;
        }
        if (port.error() != QSerialPort::TimeoutError)
            return false;
        port.clearError();
    }
    return true;
}

std::string line_failure(const QSerialPort& port)
{
    if (port.error() == QSerialPort::ResourceError)
        return "the device has gone (unplugged?)";
    return port.errorString().toStdString();
}

} // namespace

int run_monitor(const std::string& port_text, std::ostream& out, std::ostream& err)
{
    const auto application = ensure_application();
    std::optional<PortArgument> port;
    try {
        port = resolve_port(port_text);
    } catch (const std::exception& failure) {
        err << failure.what() << '\n';
        return exit_bad_arguments;
    }
    std::unique_ptr<QSerialPort> serial;
    try {
        serial = open_serial_port(port->device_path, port->label, QIODevice::ReadOnly);
    } catch (const Failure& failure) {
        err << failure.what() << '\n';
        return exit_failure;
    }
    err << "Listening on " << port->label << " at 57600 baud, 8 data bits, no parity, one stop "
        << "bit; press Ctrl-C to stop\n";
    InterruptHandler interrupt;
    FrameDecoder decoder;
    FramePrinter printer(out);
    const bool line_held = listen(*serial, decoder, printer);
    printer.print(decoder.finish());
    if (line_held)
        return exit_done;
    err << "Reading " << port->label << " failed: " << line_failure(*serial) << '\n';
    return exit_input_unreadable;
}

} // namespace tervalink::frames_tool
