#pragma once

#include <array>
#include <string_view>

namespace tervalink {

class SatelliteTable;

// Texts shown when an update refuses its entries; index = error code (entry 0 is unused).
extern const std::array<std::string_view, 8> tp_error_messages;
// Texts for the auto symbol-rate table: 0 = a box is empty, 1 = a rate is out of range.
extern const std::array<std::string_view, 2> auto_rate_messages;

// 0 when the row may be sent, else the largest code (2..7) among the failing tests.
int check_tp_fields(std::string_view nid, std::string_view freq, std::string_view symb,
                    std::string_view pol, std::string_view position);
// The same for TP row index i, checked against the position of its slot (i mod 13).
int check_tp_fields(const SatelliteTable& table, int index);

} // namespace tervalink
