#pragma once

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "satellite_table.h"

namespace tervalink::frames_tool {

// The command line is not one the tool understands; the description says what is wrong.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

extern const std::string_view usage_text;

// One --set: the text goes into the field with the field's own length limit.
struct Assignment {
    Field field = Field::position;
    int index = 0;
    std::string text;
};

// What plan and check build the table from, in this order: defaults, file, assignments.
struct TableArguments {
    std::optional<std::string> file;
    std::vector<Assignment> assignments;
};

struct PlanArguments {
    TableArguments table;
    int choice = no_choice; // no_choice for "--choice none"
    std::vector<int> ticks; // row indices, in the order given
};

struct DecodeArguments {
    std::optional<std::string> path; // empty for standard input
};

// "nid:16=1" -> NID of row 16, text "1". The text is everything after the first "=".
Assignment parse_assignment(std::string_view name_and_text);

PlanArguments parse_plan_arguments(std::span<const std::string> args);
TableArguments parse_check_arguments(std::span<const std::string> args);
DecodeArguments parse_decode_arguments(std::span<const std::string> args);
struct SendArguments {
    std::vector<std::string> ports; // "COM n" or device paths, in the order given
    TableArguments table;
    bool all = false;
    int choice = no_choice;
    std::vector<int> ticks;
    std::optional<std::string> log;
    bool quiet = false;
    std::optional<int> reconnect_seconds; // --reconnect: how long a line waits for its adapter
};

SendArguments parse_send_arguments(std::span<const std::string> args);

// The one PORT that monitor listens on.
std::string parse_monitor_arguments(std::span<const std::string> args);

} // namespace tervalink::frames_tool
