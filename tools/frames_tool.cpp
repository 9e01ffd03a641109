#include "frames_tool.h"

#include <algorithm>
#include <iostream>
#include <optional>

#include "arguments.h"
#include "check.h"
#include "console_stops.h"
#include "decode.h"
#include "exit_codes.h"
#include "monitor.h"
#include "plan.h"
#include "ports.h"
#include "send.h"
#include "tervalink_version.h"

namespace tervalink::frames_tool {
namespace {

bool asks_for_help(const std::string& argument) { return argument == "--help" || argument == "-h"; }

int run_subcommand(std::span<const std::string> args, std::istream& in, std::ostream& out,
                   std::ostream& err)
{
    if (args.empty())
        throw UsageError("no subcommand given");
    const std::string& command = args[0];
    const auto rest = args.subspan(1);
    if (command == "--version") {
        out << "tervalink-frames " TERVALINK_VERSION "\n";
        return exit_done;
    }
    // "plan --help" helps too, wherever the --help stands among the subcommand's arguments.
    if (asks_for_help(command) || std::any_of(rest.begin(), rest.end(), asks_for_help)) {
        out << usage_text;
        return exit_done;
    }
    if (command == "plan")
        return run_plan(parse_plan_arguments(rest), out, err);
    if (command == "check")
        return run_check(parse_check_arguments(rest), out, err);
    if (command == "send") {
        const SendArguments send = parse_send_arguments(rest);
        std::optional<TerminalOutput> terminal;
        if (&out == &std::cout)
            terminal.emplace();
        SendEnvironment environment;
        environment.terminal = terminal && terminal->takes_cursor_movements();
        return run_send(send, out, err, environment);
    }
    if (command == "decode")
        return run_decode(parse_decode_arguments(rest), in, out, err);
    if (command == "monitor")
        return run_monitor(parse_monitor_arguments(rest), out, err);
    if (command == "ports")
        return run_ports_on_this_machine(rest, out, err);
    throw UsageError("unknown subcommand \"" + command + "\"");
}

} // namespace

int run_frames_tool(std::span<const std::string> args, std::istream& in, std::ostream& out,
                    std::ostream& err)
{
    try {
        return run_subcommand(args, in, out, err);
    } catch (const UsageError& error) {
        err << "tervalink-frames: " << error.what() << '\n' << usage_text;
        return exit_bad_arguments;
    }
}

} // namespace tervalink::frames_tool
