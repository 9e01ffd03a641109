// Frames on the wire: encoding the table's texts and the marker clashes.
#include <string>

#include <gtest/gtest.h>

#include "result_failure.h"
#include "frame_decoder.h"
#include "frames.h"

namespace tervalink::test {
namespace {

// slot, row, position, NID, FREQ, SYMB, POL -> plain packet or the failure naming the first field
// that does not fit, in packet order; tagged packet ("": not checked); whether the plain packet
// clashes with the markers.
TEST(Frames, TpPacketsMatchTheWireBytes)
{
    const struct { int slot, row; const char *position, *nid, *freq, *symb, *pol, *packet, *tagged; bool clashes; } cases[] = {
        {3, 1, "130", "1", "11778", "27500", "V", "23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
         "23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A", false},
        {0, 0, "", "", "", "", "", "23 53 00 00 00 00 00 00 00 00 00 00 00 00 2A", "", false},
        {12, 2, "3550", "65535", "12750", "31999", "h", "23 53 0C 02 DE 0D FF FF CE 31 FF 7C 01 A0 2A", "", false},
        // The checksum alone reads as the end marker.
        {3, 1, "130", "129", "11778", "27500", "V", "23 53 03 01 82 00 81 00 02 2E 6C 6B 00 2A 2A", "", true},
        // The tagged twin goes out with a "#" checksum; only the plain packet is tested.
        {3, 1, "130", "169", "11778", "27500", "V", "23 53 03 01 82 00 A9 00 02 2E 6C 6B 00 02 2A",
         "23 53 14 37 82 00 A9 00 02 2E 6C 6B 00 23 2A", false},
        {0, 0, "35", "", "", "", "", "23 53 00 00 23 00 00 00 00 00 00 00 00 23 2A", "", true},
        {3, 1, "130", "1", "10787", "27500", "V", "23 53 03 01 82 00 01 00 23 2A 6C 6B 00 8F 2A", "", true},
        // A "*" inside the payload is harmless.
        {1, 0, "", "42", "", "", "", "23 53 01 00 00 00 2A 00 00 00 00 00 00 2B 2A", "", false},
        {1, 1, "235", "70000", "11000", "27500", "H", "NID of ASTRA 3 TP2: 70000 does not fit 0..65535", "", false},
        {3, 0, "-1", "70000", "70000", "70000", "H", "position of HOTBIRD: -1 does not fit 0..65535", "", false},
        {3, 0, "1", "1", "99999", "-3", "H", "FREQ of HOTBIRD TP1: 99999 does not fit 0..65535", "", false},
        {3, 0, "1", "1", "1", "-3", "H", "SYMB of HOTBIRD TP1: -3 does not fit 0..65535", "", false}};
    for (const auto& c : cases) {
        const Expected<TpPacket> encoded = encode_tp_packet(c.slot, c.row, c.position, c.nid, c.freq, c.symb, c.pol);
        const TpPacket packet = encoded ? *encoded : TpPacket{};
        EXPECT_EQ(encoded ? hex_bytes(packet) : failure_of(encoded), c.packet);
        EXPECT_EQ(*c.tagged ? hex_bytes(make_tagged_tp_packet(packet)) : "", c.tagged);
        EXPECT_EQ(tp_packet_clashes(packet), c.clashes) << c.packet;
    }
    for (auto [pol, byte] : {std::pair{"H", 1}, {"h", 1}, {"V", 0}, {"v", 0}, {"x", 0}, {"", 0}, {" H", 0}, {"HV", 0}}) {
        const Expected<TpPacket> encoded = encode_tp_packet(0, 0, "", "", "", "", pol);
        ASSERT_TRUE(encoded) << pol;
        EXPECT_EQ((*encoded)[12], byte) << pol;
    }
}

// Field text -> little-endian bytes, or "" when it does not fit.
TEST(Frames, Field16BoundariesAndRounding)
{
    const struct { const char *text, *bytes; } cases[] = {
        {"255", "FF 00"}, {"256", "00 01"}, {"65535", "FF FF"}, {"-0.4", "00 00"}, {"12.5", "0C 00"},
        {"13.5", "0E 00"}, {"255.5", "00 01"}, {"&HFFFF", "FF FF"}, {"65534.5", "FE FF"},
        {"abc", "00 00"}, {"65536", ""}, {"65535.5", ""}, {"-1", ""}, {"-0.5001", ""}, {"1e400", ""},
        {"-1e400", ""}, {"&H10000", ""}};
    for (const auto& c : cases) {
        const auto encoded = encode_field16(c.text, "F");
        EXPECT_EQ(encoded ? hex_bytes(*encoded) : "", c.bytes) << c.text;
        EXPECT_EQ(failure_of(encoded), *c.bytes ? "" : "F: " + std::string(c.text) + " does not fit 0..65535") << c.text;
    }
}

// Ten rates -> plain and tagged packets ("": not checked) and whether each clashes.
TEST(Frames, AutosymPacketsMatchTheWireBytes)
{
    const struct { AutosymTexts rates; const char *packet, *tagged; bool plain_clashes, tagged_clashes; } cases[] = {
        {{"27500", "22000", "30000", "29900", "27000", "28000", "25000", "23000", "6111", "5000"},
         "23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 58 2A",
         "23 42 14 37 F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 7C 2A", false, false},
        {{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0"},
         "23 42 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 2A", "", false, true},
        {{"27427", "0", "0", "0", "0", "0", "0", "0", "0", "1"}, "", "", true, false},
        {{"27500", "27500", "27500", "22000", "22000", "30000", "30000", "29900", "29900", "27499"}, "", "", false, true},
        {{"27500", "22000", "30000", "29900", "27000", "28000", "25000", "23000", "6111", "1002"}, "", "", true, false}};
    for (const auto& c : cases) {
        const Expected<AutosymPacket> encoded = encode_autosym_packet(c.rates);
        ASSERT_TRUE(encoded) << c.rates[9];
        const AutosymPacket packet = *encoded;
        const AutosymPacket tagged = make_tagged_autosym_packet(packet);
        EXPECT_EQ(*c.packet ? hex_bytes(packet) : "", c.packet);
        EXPECT_EQ(*c.tagged ? hex_bytes(tagged) : "", c.tagged);
        EXPECT_EQ(autosym_packet_clashes(packet), c.plain_clashes) << c.rates[9];
        EXPECT_EQ(autosym_packet_clashes(tagged), c.tagged_clashes) << c.rates[9];
    }
    EXPECT_EQ(failure_of(encode_autosym_packet({"1", "2", "65536", "-1", "5", "6", "7", "8", "9", "10"})),
              "symbol rate 3 of AUTO SYMBOL: 65536 does not fit 0..65535");
}

} // namespace
} // namespace tervalink::test
