#include "arguments.h"

#include <algorithm>
#include <array>

namespace tervalink::frames_tool {

const std::string_view usage_text =
    "usage: tervalink-frames plan [--file PATH] [--set NAME=TEXT]... (--choice K | --choice none)"
    " [--tick I]...\n"
    "       tervalink-frames check [--file PATH] [--set NAME=TEXT]...\n"
    "       tervalink-frames decode [PATH|-]\n"
    "       tervalink-frames monitor PORT   (\"COM n\" or a device path; Ctrl-C stops)\n"
    "       tervalink-frames ports\n"
    "       tervalink-frames send PORT... [--file PATH] [--set NAME=TEXT]...\n"
    "                        (--choice K [--tick I]... | --all) [--log PATH] [--quiet]\n"
    "                        [--reconnect SECONDS]\n"
    "       tervalink-frames --help | --version\n"
    "NAME is pos:S (S 0..12), nid:I, freq:I, symb:I or pol:I (I 0..38), or auto:K (K 0..9);\n"
    "TEXT is everything after the first \"=\" and may be empty. --choice K takes 0..13\n"
    "(13 is AUTO SYMBOL), --tick I takes a TP row index 0..38 (slot + 13 x row).\n"
    "send writes the update to every PORT at once, each line paced by its own clock. --all sends\n"
    "one update per slot that holds data (a row with a NID, FREQ or SYMB that is not empty; those\n"
    "rows are ticked), in slot order, then AUTO SYMBOL when all ten rates are filled; if any of\n"
    "them would be refused, all refusals are listed and nothing is sent. --log writes one line\n"
    "per frame: ms since the start, port, frame kind, bytes in hex. --quiet prints only the\n"
    "summary and failures. --reconnect SECONDS (1..3600): a line whose adapter goes away waits\n"
    "that long for the same adapter (its USB serial number, or else its USB socket) to come\n"
    "back, then sends the cut repetition again and the rest; the other lines go on meanwhile.\n"
    "Ctrl-C stops between frames (exit 130), and so does SIGTERM, or on Windows Ctrl-Break or\n"
    "closing the console (exit 143).\n"
    "ports lists the ports Scan Ports would, one a line: COM n, device, description (tabs).\n"
    "Exit status: 0 done, 1 output not written, 2 bad arguments, 3 UPDATE refused with a\n"
    "message, 4 failure (overflow, port not opened, line failed), 5 data file, capture or line\n"
    "not readable.\n";

namespace {

struct FieldName {
    std::string_view name;
    Field field;
    int highest_index;
};

constexpr std::array field_names{
    FieldName{"pos", Field::position, slot_count - 1},
    FieldName{"nid", Field::nid, tp_row_count - 1},
    FieldName{"freq", Field::freq, tp_row_count - 1},
    FieldName{"symb", Field::symb, tp_row_count - 1},
    FieldName{"pol", Field::pol, tp_row_count - 1},
    FieldName{"auto", Field::auto_rate, auto_rate_count - 1},
};

// Plain decimal digits only: no sign, no blanks, nothing after them.
int parse_index(std::string_view digits, int highest, std::string_view what, int lowest = 0)
{
    const auto fail = [&] {
        return UsageError(std::string(what) + ": \"" + std::string(digits) +
                          "\" is not a number from " + std::to_string(lowest) + " to " +
                          std::to_string(highest));
    };
    if (digits.empty() || digits.size() > std::to_string(highest).size())
        throw fail();
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            throw fail();
        value = value * 10 + (c - '0');
    }
    if (value < lowest || value > highest)
        throw fail();
    return value;
}

const FieldName& find_field(std::string_view name, std::string_view argument)
{
    const auto found = std::find_if(field_names.begin(), field_names.end(),
                                    [&](const FieldName& known) { return known.name == name; });
    if (found == field_names.end())
        throw UsageError("--set " + std::string(argument) +
                         ": NAME must be pos:S, nid:I, freq:I, symb:I, pol:I or auto:K");
    return *found;
}

int parse_choice(std::string_view value)
{
    if (value == "none")
        return no_choice;
    return parse_index(value, choice_count - 1, "--choice");
}

bool is_one_of(std::string_view option, std::span<const std::string_view> allowed)
{
    return std::find(allowed.begin(), allowed.end(), option) != allowed.end();
}

// Checks that args[i] is an allowed option followed by its value, and gives the value.
const std::string& option_value(std::span<const std::string> args, std::size_t i,
                                std::span<const std::string_view> allowed)
{
    if (!is_one_of(args[i], allowed))
        throw UsageError("unexpected argument \"" + args[i] + "\"");
    if (i + 1 == args.size())
        throw UsageError(args[i] + " needs a value");
    return args[i + 1];
}

// Takes --file and --set; false for any other option.
bool read_table_option(std::string_view option, const std::string& value, TableArguments& table)
{
    if (option == "--file") {
        if (table.file)
            throw UsageError("--file given twice");
        // An empty path is most likely an unset shell variable: importing nothing would hide it.
        if (value.empty())
            throw UsageError("--file needs a path");
        table.file = value;
        return true;
    }
    if (option == "--set") {
        table.assignments.push_back(parse_assignment(value));
        return true;
    }
    return false;
}

} // namespace

Assignment parse_assignment(std::string_view name_and_text)
{
    const auto equals = name_and_text.find('=');
    const auto colon = name_and_text.substr(0, equals).find(':');
    if (equals == std::string_view::npos || colon == std::string_view::npos)
        throw UsageError("--set " + std::string(name_and_text) + ": expected NAME=TEXT");
    const FieldName& field = find_field(name_and_text.substr(0, colon), name_and_text);
    const auto index_text = name_and_text.substr(colon + 1, equals - colon - 1);
    const int index = parse_index(index_text, field.highest_index,
                                  "--set " + std::string(name_and_text.substr(0, equals)));
    return Assignment{field.field, index, std::string(name_and_text.substr(equals + 1))};
}

PlanArguments parse_plan_arguments(std::span<const std::string> args)
{
    static constexpr std::array<std::string_view, 4> allowed{"--file", "--set", "--choice",
                                                             "--tick"};
    PlanArguments plan;
    bool choice_given = false;
    for (std::size_t i = 0; i < args.size(); i += 2) {
        const std::string& value = option_value(args, i, allowed);
        if (read_table_option(args[i], value, plan.table))
            continue;
        if (args[i] == "--tick") {
            plan.ticks.push_back(parse_index(value, tp_row_count - 1, "--tick"));
            continue;
        }
        if (choice_given)
            throw UsageError("--choice given twice");
        plan.choice = parse_choice(value);
        choice_given = true;
    }
    if (!choice_given)
        throw UsageError("plan needs --choice K or --choice none");
    return plan;
}

TableArguments parse_check_arguments(std::span<const std::string> args)
{
    static constexpr std::array<std::string_view, 2> allowed{"--file", "--set"};
    TableArguments table;
    for (std::size_t i = 0; i < args.size(); i += 2)
        read_table_option(args[i], option_value(args, i, allowed), table);
    return table;
}

DecodeArguments parse_decode_arguments(std::span<const std::string> args)
{
    if (args.size() > 1)
        throw UsageError("decode takes at most one PATH");
    if (args.empty() || args[0] == "-")
        return {};
    if (args[0].starts_with("-"))
        throw UsageError("unexpected argument \"" + args[0] + "\" (write ./" + args[0] +
                         " for a file of that name)");
    return DecodeArguments{args[0]};
}

std::string parse_monitor_arguments(std::span<const std::string> args)
{
    if (args.size() != 1)
        throw UsageError("monitor takes exactly one PORT");
    return args[0];
}

SendArguments parse_send_arguments(std::span<const std::string> args)
{
    static constexpr std::array<std::string_view, 6> with_value{"--file", "--set", "--choice",
                                                                "--tick", "--log", "--reconnect"};
    SendArguments send;
    bool choice_given = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("-")) {
            if (std::find(send.ports.begin(), send.ports.end(), arg) != send.ports.end())
                throw UsageError("PORT " + arg + " given twice");
            send.ports.push_back(arg);
        } else if (arg == "--all") {
            send.all = true;
        } else if (arg == "--quiet") {
            send.quiet = true;
        } else {
            const std::string& value = option_value(args, i++, with_value);
            if (read_table_option(arg, value, send.table))
                continue;
            if (arg == "--tick") {
                send.ticks.push_back(parse_index(value, tp_row_count - 1, "--tick"));
            } else if (arg == "--reconnect") {
                if (send.reconnect_seconds)
                    throw UsageError("--reconnect given twice");
                send.reconnect_seconds = parse_index(value, 3600, "--reconnect", 1);
            } else if (arg == "--log") {
                if (send.log || value.empty())
                    throw UsageError("--log needs one path");
                send.log = value;
            } else {
                if (choice_given)
                    throw UsageError("--choice given twice");
                send.choice = parse_choice(value);
                choice_given = true;
            }
        }
    }
    if (send.ports.empty())
        throw UsageError("send needs at least one PORT");
    if (choice_given == send.all)
        throw UsageError("send needs either --choice K or --all");
    if (send.all && !send.ticks.empty())
        throw UsageError("--tick goes with --choice, not with --all");
    return send;
}

} // namespace tervalink::frames_tool
