#include <string>

#include <gtest/gtest.h>

#include "failure.h"
#include "frames.h"
#include "satellite_table.h"
#include "frame_decoder.h"

namespace tervalink {
namespace {


struct TpCase {
    int slot, row;
    std::string position, nid, freq, symb, pol;
    std::string packet, tagged;
    bool clashes;
};

class TpPacketEncoding : public testing::TestWithParam<TpCase> {};

TEST_P(TpPacketEncoding, MatchesTheWireBytes)
{
    const TpCase& c = GetParam();
    const TpPacket packet = encode_tp_packet(c.slot, c.row, c.position, c.nid, c.freq, c.symb, c.pol);
    EXPECT_EQ(hex_bytes(packet), c.packet);
    if (!c.tagged.empty()) {
        EXPECT_EQ(hex_bytes(make_tagged_tp_packet(packet)), c.tagged);
    }
    EXPECT_EQ(tp_packet_clashes(packet), c.clashes);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, TpPacketEncoding,
    testing::Values(
        TpCase{3, 1, "130", "1", "11778", "27500", "V",
               "23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A",
               "23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A", false},
        TpCase{3, 1, "130", "1", "11778", "27500", "H",
               "23 53 03 01 82 00 01 00 02 2E 6C 6B 01 AB 2A", "", false},
        TpCase{0, 0, "", "", "", "", "", "23 53 00 00 00 00 00 00 00 00 00 00 00 00 2A", "", false},
        TpCase{12, 2, "3550", "65535", "12750", "31999", "h",
               "23 53 0C 02 DE 0D FF FF CE 31 FF 7C 01 A0 2A", "", false},
        // The checksum alone reads as the end marker.
        TpCase{3, 1, "130", "129", "11778", "27500", "V",
               "23 53 03 01 82 00 81 00 02 2E 6C 6B 00 2A 2A", "", true},
        // Only the plain packet is tested: its tagged twin goes out with a "#" checksum.
        TpCase{3, 1, "130", "169", "11778", "27500", "V",
               "23 53 03 01 82 00 A9 00 02 2E 6C 6B 00 02 2A",
               "23 53 14 37 82 00 A9 00 02 2E 6C 6B 00 23 2A", false},
        TpCase{3, 1, "130", "1", "10787", "27500", "V",
               "23 53 03 01 82 00 01 00 23 2A 6C 6B 00 8F 2A", "", true},
        TpCase{0, 0, "35", "", "", "", "", "23 53 00 00 23 00 00 00 00 00 00 00 00 23 2A", "", true},
        TpCase{0, 0, "", "35", "", "", "", "23 53 00 00 00 00 23 00 00 00 00 00 00 23 2A", "", true},
        TpCase{0, 0, "", "8960", "", "", "", "23 53 00 00 00 00 00 23 00 00 00 00 00 23 2A", "", true},
        // A "*" inside the payload is harmless.
        TpCase{0, 0, "", "42", "", "", "", "23 53 00 00 00 00 2A 00 00 00 00 00 00 2A 2A", "", true},
        TpCase{1, 0, "", "42", "", "", "", "23 53 01 00 00 00 2A 00 00 00 00 00 00 2B 2A", "", false}));

TEST(Polarisation, OnlyExactHMeansHorizontal)
{
    for (const char* pol : {"H", "h"})
        EXPECT_EQ(encode_tp_packet(0, 0, "", "", "", "", pol)[12], 1) << pol;
    for (const char* pol : {"V", "v", "x", "", " H", "HV"})
        EXPECT_EQ(encode_tp_packet(0, 0, "", "", "", "", pol)[12], 0) << pol;
}

TEST(Field16, BoundariesAndRounding)
{
    const struct {
        const char* text;
        std::uint8_t low, high;
    } fits[] = {{"255", 0xFF, 0x00}, {"256", 0x00, 0x01}, {"65535", 0xFF, 0xFF}, {"-0.4", 0, 0},
                {"12.5", 12, 0},     {"13.5", 14, 0},     {"255.5", 0x00, 0x01}, {"&HFFFF", 0xFF, 0xFF},
                {"65534.5", 0xFE, 0xFF}, {"abc", 0, 0}};
    for (const auto& c : fits) {
        const auto bytes = encode_field16(c.text, "NID");
        EXPECT_EQ(bytes[0], c.low) << c.text;
        EXPECT_EQ(bytes[1], c.high) << c.text;
    }
    for (const char* text : {"65536", "65535.5", "-1", "-0.5001", "1e400", "-1e400", "&H10000"})
        EXPECT_THROW(encode_field16(text, "NID"), Failure) << text;
}

TEST(Field16, OverflowNamesFieldAndText)
{
    try {
        encode_tp_packet(1, 1, "235", "70000", "11000", "27500", "V");
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "NID of ASTRA 3 TP2: 70000 does not fit 0..65535");
    }
}

TEST(Field16, FirstFailingFieldInPacketOrderIsReported)
{
    const struct {
        const char *position, *nid, *freq, *symb, *message;
    } cases[] = {
        {"-1", "70000", "70000", "70000", "position of HOTBIRD: -1 does not fit 0..65535"},
        {"1", "1", "99999", "-3", "FREQ of HOTBIRD TP1: 99999 does not fit 0..65535"},
        {"1", "1", "1", "-3", "SYMB of HOTBIRD TP1: -3 does not fit 0..65535"},
    };
    for (const auto& c : cases) {
        try {
            encode_tp_packet(3, 0, c.position, c.nid, c.freq, c.symb, "H");
            ADD_FAILURE() << "no failure for " << c.message;
        } catch (const Failure& failure) {
            EXPECT_STREQ(failure.what(), c.message);
        }
    }
}

AutosymTexts texts(const std::array<const char*, 10>& values)
{
    AutosymTexts out;
    for (std::size_t k = 0; k < values.size(); ++k)
        out[k] = values[k];
    return out;
}

struct AutosymCase {
    std::array<const char*, 10> rates;
    std::string packet, tagged;
    bool plain_clashes, tagged_clashes;
};

class AutosymEncoding : public testing::TestWithParam<AutosymCase> {};

TEST_P(AutosymEncoding, MatchesTheWireBytes)
{
    const AutosymCase& c = GetParam();
    const AutosymPacket packet = encode_autosym_packet(texts(c.rates));
    const AutosymPacket tagged = make_tagged_autosym_packet(packet);
    if (!c.packet.empty()) {
        EXPECT_EQ(hex_bytes(packet), c.packet);
    }
    if (!c.tagged.empty()) {
        EXPECT_EQ(hex_bytes(tagged), c.tagged);
    }
    EXPECT_EQ(autosym_packet_clashes(packet), c.plain_clashes);
    EXPECT_EQ(autosym_packet_clashes(tagged), c.tagged_clashes);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, AutosymEncoding,
    testing::Values(
        AutosymCase{{"27500", "22000", "30000", "29900", "27000", "28000", "25000", "23000", "6111",
                     "5000"},
                    "23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 58 2A",
                    "23 42 14 37 F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 7C 2A", false,
                    false},
        AutosymCase{{"0", "0", "0", "0", "0", "0", "0", "0", "0", "0"},
                    "23 42 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 2A", "",
                    false, true},
        AutosymCase{{"27427", "0", "0", "0", "0", "0", "0", "0", "0", "1"}, "", "", true, false},
        AutosymCase{{"27500", "27500", "27500", "22000", "22000", "30000", "30000", "29900",
                     "29900", "27499"},
                    "", "", false, true},
        AutosymCase{{"27500", "22000", "30000", "29900", "27000", "28000", "25000", "23000", "6111",
                     "1002"},
                    "", "", true, false}));

TEST(AutosymEncodingFailure, FirstOverflowingRateIsNamed)
{
    try {
        encode_autosym_packet(texts({"1", "2", "65536", "-1", "5", "6", "7", "8", "9", "10"}));
        FAIL() << "no failure";
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "symbol rate 3 of AUTO SYMBOL: 65536 does not fit 0..65535");
    }
    EXPECT_EQ(encode_autosym_packet(texts({"65535", "0", "0", "0", "0", "0", "0", "0", "0", "0"}))[2],
              0xFF);
}

TEST(MakeTpPacket, ReadsTheTableRowAndItsSlotPosition)
{
    SatelliteTable table;
    const int i = row_index(3, 1);
    table.set_text(Field::nid, i, "1");
    table.set_text(Field::freq, i, "11778");
    table.set_text(Field::symb, i, "27500");
    table.set_text(Field::pol, i, "V");
    EXPECT_EQ(make_tp_packet(table, 3, 1), 0);
    table.set_text(Field::freq, i, "10787");
    EXPECT_EQ(make_tp_packet(table, 3, 1), 1);
    table.set_text(Field::freq, i, "11778");
    table.set_text(Field::position, 3, "35");
    EXPECT_EQ(make_tp_packet(table, 3, 1), 1);
    table.set_text(Field::nid, i, "70000");
    EXPECT_THROW(make_tp_packet(table, 3, 1), Failure);
}

TEST(UpdateImageBuild, SlotBuildRewritesOnlyTickedRows)
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
    EXPECT_EQ(hex_bytes(image.tp_packets[2]), "23 53 04 02 30 00 00 00 F8 2A 00 00 00 E4 2A");
    EXPECT_EQ(image.tp_packets[1][5], 0x77);
    EXPECT_EQ(image.autosym_packet[5], 0x55);

    const auto before = image.tp_packets;
    for (int k = 0; k < auto_rate_count; ++k)
        table.set_text(Field::auto_rate, k, "1000");
    make_update_packets(table, auto_symbol_choice, image);
    EXPECT_EQ(image.tp_packets, before);
    EXPECT_EQ(image.autosym_packet[2], 0xE8);
    EXPECT_EQ(image.tagged_autosym_packet[2], tag_first);
}

} // namespace
} // namespace tervalink
