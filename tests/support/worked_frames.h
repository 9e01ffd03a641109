#pragma once
// The worked examples on the wire, written out byte for byte: HOTBIRD TP2 (slot 3, row 1,
// position 130, NID 1, FREQ 11778, SYMB 27500, POL V) and the AUTO SYMBOL rates below.
#include <cstdint>
#include <vector>

namespace tervalink::test {

using Bytes = std::vector<std::uint8_t>;

inline const Bytes hotbird_tp2 = {0x23, 0x53, 0x03, 0x01, 0x82, 0x00, 0x01, 0x00,
                                  0x02, 0x2E, 0x6C, 0x6B, 0x00, 0xAA, 0x2A};
inline const Bytes hotbird_tp2_tagged = {0x23, 0x53, 0x14, 0x37, 0x82, 0x00, 0x01, 0x00,
                                         0x02, 0x2E, 0x6C, 0x6B, 0x00, 0x8B, 0x2A};
inline const Bytes autosym = {0x23, 0x42, 0x6C, 0x6B, 0xF0, 0x55, 0x30, 0x75,
                              0xCC, 0x74, 0x78, 0x69, 0x60, 0x6D, 0xA8, 0x61,
                              0xD8, 0x59, 0xDF, 0x17, 0x88, 0x13, 0x58, 0x2A};
inline const Bytes autosym_tagged = {0x23, 0x42, 0x14, 0x37, 0xF0, 0x55, 0x30, 0x75,
                                     0xCC, 0x74, 0x78, 0x69, 0x60, 0x6D, 0xA8, 0x61,
                                     0xD8, 0x59, 0xDF, 0x17, 0x88, 0x13, 0x7C, 0x2A};
inline constexpr const char* autosym_rates[10] = {"27500", "22000", "30000", "29900", "27000",
                                                  "28000", "25000", "23000", "6111",  "5000"};

// The sequence `times` over, as the line carries it.
inline Bytes repeated(const std::vector<Bytes>& sequence, int times)
{
    Bytes all;
    for (int n = 0; n < times; ++n)
        for (const Bytes& frame : sequence)
            all.insert(all.end(), frame.begin(), frame.end());
    return all;
}

} // namespace tervalink::test
