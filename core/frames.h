#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "expected.h"
#include "frame_layout.h"
#include "satellite_table.h"

namespace tervalink {

using TpPacket = std::array<std::uint8_t, tp_length>;
using AutosymPacket = std::array<std::uint8_t, autosym_length>;
using AutosymTexts = std::array<std::string_view, auto_rate_count>;

// The numeric value of the text rounded half to even, low byte first. A value outside 0..65535
// fails naming the field: "NID of ASTRA 3 TP2: 70000 does not fit 0..65535".
Expected<std::array<std::uint8_t, 2>> encode_field16(std::string_view text,
                                                      std::string_view field_label);

// Labels used in overflow descriptions.
std::string position_label(int slot);
std::string tp_field_label(std::string_view field, int slot, int row);
std::string auto_rate_label(int k);

// Fails as the first field in packet order that does not fit.
Expected<TpPacket> encode_tp_packet(int slot, int row, std::string_view position,
                                    std::string_view nid, std::string_view freq,
                                    std::string_view symb, std::string_view pol);
TpPacket make_tagged_tp_packet(const TpPacket& packet);
bool tp_packet_clashes(const TpPacket& packet);
// 1 when the packet of row r of slot s, as the table holds it now, clashes with the markers.
Expected<int> make_tp_packet(const SatelliteTable& table, int slot, int row);

Expected<AutosymPacket> encode_autosym_packet(const AutosymTexts& rates);
AutosymPacket make_tagged_autosym_packet(const AutosymPacket& packet);
bool autosym_packet_clashes(const AutosymPacket& packet);

} // namespace tervalink
