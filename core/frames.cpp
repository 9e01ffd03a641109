#include "frames.h"

#include <algorithm>

#include "numbers.h"
#include "polarisation.h"
#include "satellite_table.h"

namespace tervalink {
namespace {

// A packet clashes when a "#" stands anywhere after the type byte (the antenna unit would take it
// for the start of a frame) or the checksum reads as the end marker.
template <std::size_t N>
bool clashes(const std::array<std::uint8_t, N>& packet)
{
    const bool start_inside =
        std::find(packet.begin() + payload_at, packet.end(), start_marker) != packet.end();
    return start_inside || packet[checksum_at(N)] == end_marker;
}

template <std::size_t N>
Expected<void> put_field(std::array<std::uint8_t, N>& packet, std::size_t at,
                         std::string_view text, std::string_view label)
{
    const auto bytes = encode_field16(text, label);
    if (!bytes)
        return bytes.failed();
    packet[at] = (*bytes)[0];
    packet[at + 1] = (*bytes)[1];
    return {};
}

// A field of a TP packet: where it goes, its text, and the label its overflow names.
struct TpField {
    std::size_t at;
    std::string_view text;
    std::string label;
};

// The start marker, the type letter, the checksum and the end marker around a filled payload.
template <std::size_t N>
void frame(std::array<std::uint8_t, N>& packet, std::uint8_t type)
{
    packet[0] = start_marker;
    packet[type_at] = type;
    packet[checksum_at(N)] = frame_checksum(packet);
    packet[N - 1] = end_marker;
}

template <std::size_t N>
std::array<std::uint8_t, N> tagged_copy(const std::array<std::uint8_t, N>& packet)
{
    auto tagged = packet;
    tagged[tag_at] = tag_first;
    tagged[tag_at + 1] = tag_second;
    tagged[checksum_at(N)] = frame_checksum(tagged);
    return tagged;
}

} // namespace

Expected<std::array<std::uint8_t, 2>> encode_field16(std::string_view text,
                                                      std::string_view field_label)
{
    const double n = round_half_even(numeric_value(text));
    if (!(n >= 0 && n <= 65535))
        return Failed{std::string(field_label) + ": " + std::string(text) +
                      " does not fit 0..65535"};
    const auto value = static_cast<unsigned>(n);
    return std::array{static_cast<std::uint8_t>(value % 256),
                      static_cast<std::uint8_t>(value / 256)};
}

std::string position_label(int slot) { return "position of " + std::string(choice_name(slot)); }

std::string tp_field_label(std::string_view field, int slot, int row)
{
    return std::string(field) + " of " + std::string(choice_name(slot)) + " TP" +
           std::to_string(row + 1);
}

std::string auto_rate_label(int k)
{
    return "symbol rate " + std::to_string(k + 1) + " of AUTO SYMBOL";
}

Expected<TpPacket> encode_tp_packet(int slot, int row, std::string_view position,
                                    std::string_view nid, std::string_view freq,
                                    std::string_view symb, std::string_view pol)
{
    TpPacket packet{};
    packet[tp_slot_at] = static_cast<std::uint8_t>(slot);
    packet[tp_row_at] = static_cast<std::uint8_t>(row);
    const TpField fields[] = {{tp_position_at, position, position_label(slot)},
                              {tp_nid_at, nid, tp_field_label("NID", slot, row)},
                              {tp_freq_at, freq, tp_field_label("FREQ", slot, row)},
                              {tp_symb_at, symb, tp_field_label("SYMB", slot, row)}};
    for (const TpField& field : fields)
        if (const auto put = put_field(packet, field.at, field.text, field.label); !put)
            return put.failed();
    packet[tp_pol_at] = polarisation_byte(pol);
    frame(packet, tp_type);
    return packet;
}

TpPacket make_tagged_tp_packet(const TpPacket& packet) { return tagged_copy(packet); }

bool tp_packet_clashes(const TpPacket& packet) { return clashes(packet); }

Expected<int> make_tp_packet(const SatelliteTable& table, int slot, int row)
{
    const int i = row_index(slot, row);
    const auto packet = encode_tp_packet(slot, row, table.position(slot), table.nid(i),
                                         table.freq(i), table.symb(i), table.pol(i));
    if (!packet)
        return packet.failed();
    return tp_packet_clashes(*packet) ? 1 : 0;
}

Expected<AutosymPacket> encode_autosym_packet(const AutosymTexts& rates)
{
    AutosymPacket packet{};
    for (std::size_t k = 0; k < rates.size(); ++k) {
        const auto put = put_field(packet, autosym_rate_at(k), rates[k],
                                   auto_rate_label(static_cast<int>(k)));
        if (!put)
            return put.failed();
    }
    frame(packet, autosym_type);
    return packet;
}

AutosymPacket make_tagged_autosym_packet(const AutosymPacket& packet) { return tagged_copy(packet); }

bool autosym_packet_clashes(const AutosymPacket& packet) { return clashes(packet); }

} // namespace tervalink
