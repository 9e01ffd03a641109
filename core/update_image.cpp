#include "update_image.h"

namespace tervalink {

Expected<void> UpdateImage::build(const SatelliteTable& table, int choice)
{
    if (choice == auto_symbol_choice) {
        AutosymTexts rates;
        for (int k = 0; k < auto_rate_count; ++k)
            rates[static_cast<std::size_t>(k)] = table.auto_rate(k);
        const auto packet = encode_autosym_packet(rates);
        if (!packet)
            return packet.failed();
        autosym_packet_ = *packet;
        tagged_autosym_packet_ = make_tagged_autosym_packet(autosym_packet_);
        return {};
    }
    for (int r = 0; r < rows_per_slot; ++r) {
        const int i = row_index(choice, r);
        if (!table.ticked(i))
            continue;
        const auto packet = encode_tp_packet(choice, r, table.position(choice), table.nid(i),
                                             table.freq(i), table.symb(i), table.pol(i));
        if (!packet)
            return packet.failed();
        tp_packets_[static_cast<std::size_t>(r)] = *packet;
    }
    return {};
}

const TpPacket& UpdateImage::tag_row(int r)
{
    tagged_tp_packet_ = make_tagged_tp_packet(tp_packet(r));
    return tagged_tp_packet_;
}

} // namespace tervalink
