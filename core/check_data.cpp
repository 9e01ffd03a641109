#include "check_data.h"

#include "frames.h"
#include "satellite_table.h"

namespace tervalink {

std::string check_data_line(int slot, int row)
{
    return " " + std::to_string(slot) + "  " + std::to_string(row);
}

CheckDataResult check_data(const SatelliteTable& table)
{
    CheckDataResult result;
    for (int s = 0; s < slot_count; ++s) {
        if (table.position(s).empty())
            continue;
        for (int r = 0; r < rows_per_slot; ++r) {
            const Expected<int> clash = make_tp_packet(table, s, r);
            if (!clash) {
                result.failure = clash.failure();
                return result;
            }
            if (*clash == 1)
                result.lines.push_back(check_data_line(s, r));
        }
    }
    return result;
}

} // namespace tervalink
