#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "satellite_table.h"
#include "update_preparation.h"

namespace tervalink::frames_tool {

struct PlannedFrame {
    std::int64_t tick = 0; // ticks from the start of transmission when the frame is written
    std::vector<std::uint8_t> bytes;
};

// The frames and their end when UPDATE would send them; else its refusal, or the failure of a value
// that does not fit its frame.
struct PlanResult {
    std::vector<PlannedFrame> frames;
    std::int64_t total_ticks = 0;
    std::optional<UpdateRefusal> refusal;
    std::optional<std::string> failure;
};

// What UPDATE sends with the table as it stands, on a virtual clock to a recorder instead of the
// port.
PlanResult plan_update(const SatelliteTable& table);

// "0 23 53 03 ..." : the tick offset, a blank, the bytes in hex.
std::string plan_line(const PlannedFrame& frame);

// Builds the table as the arguments say, plans the update and reports it; gives the exit status.
int run_plan(const PlanArguments& args, std::ostream& out, std::ostream& err);

} // namespace tervalink::frames_tool
