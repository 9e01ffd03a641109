#include <string>

#include <gtest/gtest.h>

#include "failure.h"
#include "frame_decoder.h"
#include "frames.h"
#include "satellite_table.h"

namespace tervalink {
namespace {

// The failure's description, or "" when the call succeeds.
template <typename Call>
std::string failure_of(Call call)
{
    try {
        call();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return {};
}

// slot, row, position, NID, FREQ, SYMB, POL -> plain packet, tagged packet ("": not checked),
// whether the plain packet clashes with the markers.
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
        {1, 0, "", "42", "", "", "", "23 53 01 00 00 00 2A 00 00 00 00 00 00 2B 2A", "", false}};
    for (const auto& c : cases) {
        const TpPacket packet = encode_tp_packet(c.slot, c.row, c.position, c.nid, c.freq, c.symb, c.pol);
        EXPECT_EQ(hex_bytes(packet), c.packet);
        EXPECT_EQ(*c.tagged ? hex_bytes(make_tagged_tp_packet(packet)) : "", c.tagged);
        EXPECT_EQ(tp_packet_clashes(packet), c.clashes) << c.packet;
    }
    for (auto [pol, byte] : {std::pair{"H", 1}, {"h", 1}, {"V", 0}, {"v", 0}, {"x", 0}, {"", 0}, {" H", 0}, {"HV", 0}})
        EXPECT_EQ(encode_tp_packet(0, 0, "", "", "", "", pol)[12], byte) << pol;
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
        std::string bytes;
        const std::string failure = failure_of([&] { bytes = hex_bytes(encode_field16(c.text, "F")); });
        EXPECT_EQ(bytes, c.bytes) << c.text;
        EXPECT_EQ(failure, *c.bytes ? "" : "F: " + std::string(c.text) + " does not fit 0..65535") << c.text;
    }
}

TEST(Frames, FirstFailingFieldInPacketOrderIsNamed)
{
    const struct { int slot, row; const char *position, *nid, *freq, *symb, *message; } cases[] = {
        {1, 1, "235", "70000", "11000", "27500", "NID of ASTRA 3 TP2: 70000 does not fit 0..65535"},
        {3, 0, "-1", "70000", "70000", "70000", "position of HOTBIRD: -1 does not fit 0..65535"},
        {3, 0, "1", "1", "99999", "-3", "FREQ of HOTBIRD TP1: 99999 does not fit 0..65535"},
        {3, 0, "1", "1", "1", "-3", "SYMB of HOTBIRD TP1: -3 does not fit 0..65535"}};
    for (const auto& c : cases)
        EXPECT_EQ(failure_of([&] { encode_tp_packet(c.slot, c.row, c.position, c.nid, c.freq, c.symb, "H"); }), c.message);
    const AutosymTexts rates{"1", "2", "65536", "-1", "5", "6", "7", "8", "9", "10"};
    EXPECT_EQ(failure_of([&] { encode_autosym_packet(rates); }),
              "symbol rate 3 of AUTO SYMBOL: 65536 does not fit 0..65535");
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
        const AutosymPacket packet = encode_autosym_packet(c.rates);
        const AutosymPacket tagged = make_tagged_autosym_packet(packet);
        EXPECT_EQ(*c.packet ? hex_bytes(packet) : "", c.packet);
        EXPECT_EQ(*c.tagged ? hex_bytes(tagged) : "", c.tagged);
        EXPECT_EQ(autosym_packet_clashes(packet), c.plain_clashes) << c.rates[9];
        EXPECT_EQ(autosym_packet_clashes(tagged), c.tagged_clashes) << c.rates[9];
    }
}

TEST(Frames, MakeTpPacketReadsTheTableRowAndItsSlotPosition)
{
    SatelliteTable table;
    const int i = row_index(3, 1);
    for (auto [field, text] : {std::pair{Field::nid, "1"}, {Field::freq, "11778"}, {Field::symb, "27500"}, {Field::pol, "V"}})
        table.set_text(field, i, text);
    EXPECT_EQ(make_tp_packet(table, 3, 1), 0);
    table.set_text(Field::freq, i, "10787");
    EXPECT_EQ(make_tp_packet(table, 3, 1), 1);
    table.set_text(Field::freq, i, "11778");
    table.set_text(Field::position, 3, "35");
    EXPECT_EQ(make_tp_packet(table, 3, 1), 1);
}

TEST(Frames, UpdateImageRewritesOnlyTickedRowsOrTheAutoPair)
{
    SatelliteTable table;
    UpdateImage image;
    image.tp_packets[1].fill(0x77);
    image.autosym_packet.fill(0x55);
    table.set_option(4);
    for (int r : {0, 2}) {
        table.set_ticked(row_index(4, r), true);
        table.set_text(Field::freq, row_index(4, r), "11000");
    }
    make_update_packets(table, 4, image);
    EXPECT_EQ(hex_bytes(image.tp_packets[0]), "23 53 04 00 30 00 00 00 F8 2A 00 00 00 E6 2A");
    EXPECT_EQ(hex_bytes(image.tp_packets[1]), "77 77 77 77 77 77 77 77 77 77 77 77 77 77 77");
    EXPECT_EQ(hex_bytes(image.tp_packets[2]), "23 53 04 02 30 00 00 00 F8 2A 00 00 00 E4 2A");
    EXPECT_EQ(image.autosym_packet[5], 0x55);
    const auto before = image.tp_packets;
    for (int k = 0; k < auto_rate_count; ++k)
        table.set_text(Field::auto_rate, k, "1000");
    make_update_packets(table, auto_symbol_choice, image);
    EXPECT_EQ(image.tp_packets, before);
    EXPECT_EQ(hex_bytes(image.autosym_packet), "23 42 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 00 2A");
    EXPECT_EQ(hex_bytes(image.tagged_autosym_packet),
              "23 42 14 37 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 E8 03 C8 2A");
}

} // namespace
} // namespace tervalink
