#include "monitor.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <optional>

#include "console_stops.h"
#include "exit_codes.h"
#include "failure.h"
#include "frame_decoder.h"
#include "port_argument.h"
#include "serial_line.h"

namespace tervalink::frames_tool {
namespace {

class FramePrinter {
public:
    explicit FramePrinter(std::ostream& out) : out_(out) {}

    void print(const std::vector<DecodedFrame>& frames)
    {
        const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  std::chrono::steady_clock::now() - start_)
                                  .count();
        for (const DecodedFrame& frame : frames) {
            out_ << stamp(now) << "  " << gap(now) << "  " << describe_frame(frame) << '\n';
            previous_ = now;
        }
        out_.flush();
    }

private:
    static std::string stamp(long long ms)
    {
        std::array<char, 32> text{};
        std::snprintf(text.data(), text.size(), "%10.3f s", double(ms) / 1000.0);
        return text.data();
    }

    std::string gap(long long now) const
    {
        std::array<char, 32> text{};
        if (previous_)
            std::snprintf(text.data(), text.size(), "%+8lld ms", now - *previous_);
        else
            std::snprintf(text.data(), text.size(), "%11s", "first");
        return text.data();
    }

    std::ostream& out_;
    const std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    std::optional<long long> previous_;
};

// Reads until Ctrl-C (or a termination); throws Failure when the line fails.
void listen(SerialLine& line, FrameDecoder& decoder, FramePrinter& printer, ConsoleStops& stops)
{
    std::array<std::uint8_t, 4096> chunk{};
    while (!stops.take(std::chrono::milliseconds(0))) {
        const std::size_t count = line.read_some(chunk);
        if (count > 0)
            printer.print(decoder.feed(std::span(chunk.data(), count)));
    }
}

} // namespace

int run_monitor(const std::string& port_text, std::ostream& out, std::ostream& err)
{
    std::optional<PortAddress> port;
    try {
        port = resolve_port(port_text);
    } catch (const std::exception& failure) {
        err << failure.what() << '\n';
        return exit_bad_arguments;
    }
    SerialLine line;
    try {
        line.open_path(port->device_path, port->label);
    } catch (const Failure& failure) {
        err << with_this_machines_adapter_reasons(failure.what()) << '\n';
        return exit_failure;
    }
    err << "Listening on " << port->label << " at 57600 baud, 8 data bits, no parity, one stop "
        << "bit; press Ctrl-C to stop\n";
    FrameDecoder decoder;
    FramePrinter printer(out);
    int status = exit_done;
    ConsoleStops stops;
    try {
        listen(line, decoder, printer, stops);
    } catch (const Failure& failure) {
        err << failure.what() << '\n';
        status = exit_input_unreadable;
    }
    printer.print(decoder.finish());
    line.close();
    err.flush();
    return status;
}

} // namespace tervalink::frames_tool
