#pragma once

#include <array>

#include "expected.h"
#include "frames.h"
#include "satellite_table.h"

namespace tervalink {

// The update image: the packets an update sends, built before its first frame. Its owner keeps it
// from one update to the next; nothing clears it, and each build overwrites only what it builds.
class UpdateImage {
public:
    // For slot `choice`, the TP packet of each ticked row into its entry (the entries of other
    // rows keep what they held); for AUTO SYMBOL, the auto symbol-rate packet and its tagged copy.
    // Fails on the first value that does not fit: the rows before it hold their new packets, the
    // rest what they held; AUTO SYMBOL's packets stay as they were.
    Expected<void> build(const SatelliteTable& table, int choice);
    // Makes row r's tagged TP packet from its entry, as that row's turn to be sent comes; the
    // image keeps the latest one.
    const TpPacket& tag_row(int r);

    const TpPacket& tp_packet(int r) const { return tp_packets_[static_cast<std::size_t>(r)]; }
    const AutosymPacket& autosym_packet() const { return autosym_packet_; }
    const AutosymPacket& tagged_autosym_packet() const { return tagged_autosym_packet_; }

private:
    std::array<TpPacket, rows_per_slot> tp_packets_{};
    TpPacket tagged_tp_packet_{};
    AutosymPacket autosym_packet_{};
    AutosymPacket tagged_autosym_packet_{};
};

} // namespace tervalink
