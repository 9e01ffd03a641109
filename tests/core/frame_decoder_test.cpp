#include "frame_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace tervalink {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Seen = std::vector<std::pair<std::size_t, std::string>>; // offset and technician's line

// "23 53 03" -> {0x23, 0x53, 0x03}; pieces are joined, so a stream reads as its frames in order.
Bytes bytes(std::initializer_list<std::string_view> pieces)
{
    Bytes out;
    for (std::string_view piece : pieces) {
        std::istringstream in{std::string(piece)};
        for (unsigned value = 0; in >> std::hex >> value;)
            out.push_back(static_cast<std::uint8_t>(value));
    }
    return out;
}

// Worked examples: HOTBIRD TP2 and its tagged twin, the auto symbol-rate pair.
constexpr std::string_view hotbird_tp2 = "23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A";
constexpr std::string_view hotbird_tagged = "23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A";
// NID 169: the tagged checksum is 0x23, a start marker inside the frame.
constexpr std::string_view tagged_hash_checksum = "23 53 14 37 82 00 A9 00 02 2E 6C 6B 00 23 2A";
constexpr std::string_view auto_rates =
    "23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 58 2A";
constexpr std::string_view auto_tagged =
    "23 42 14 37 F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 7C 2A";

const std::string ok = "; checksum ok, end marker ok";
const std::string hotbird_fields = ": position 130, NID 1, FREQ 11778, SYMB 27500, POL V";
const std::string tp2_line = "TP HOTBIRD TP2" + hotbird_fields + ok;
const std::string rates_1_9 = "22000 30000 29900 27000 28000 25000 23000 6111 5000";
const std::string auto_line = "auto: rates 0-9 27500 " + rates_1_9 + ok;

// Feeds the stream in pieces of next_size() bytes, then finishes it.
std::vector<DecodedFrame> decode(const Bytes& stream, const std::function<std::size_t()>& next_size)
{
    FrameDecoder decoder;
    std::vector<DecodedFrame> frames;
    const auto keep = [&frames](std::vector<DecodedFrame> more) {
        frames.insert(frames.end(), more.begin(), more.end());
    };
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t size = std::min(next_size(), stream.size() - at);
        keep(decoder.feed(std::span(stream).subspan(at, size)));
        at += size;
    }
    keep(decoder.finish());
    return frames;
}

std::string repeated(std::string_view text, int times)
{
    std::string out;
    for (int n = 0; n < times; ++n)
        out += text;
    return out;
}

Seen described(const std::vector<DecodedFrame>& frames)
{
    Seen seen;
    for (const DecodedFrame& frame : frames)
        seen.emplace_back(frame.offset, describe_frame(frame));
    return seen;
}

struct StreamCase {
    std::string name;
    Bytes stream;
    Seen frames;
};

void PrintTo(const StreamCase& c, std::ostream* out) { *out << c.name; }

std::vector<StreamCase> stream_cases()
{
    return {
        {"empty", {}, {}},
        {"every_kind_back_to_back",
         bytes({hotbird_tp2, hotbird_tagged, auto_rates, auto_tagged}),
         {{0, tp2_line},
          {15, "tagged TP" + hotbird_fields + ok},
          {30, auto_line},
          {54, "tagged auto: rates 1-9 " + rates_1_9 + ok}}},
        {"tp_last_slot_last_row", bytes({"23 53 0C 02 DE 0D FF FF CE 31 FF 7C 01 A0 2A"}),
         {{0, "TP ASTRA 4S TP3: position 3550, NID 65535, FREQ 12750, SYMB 31999, POL H" + ok}}},
        {"slot_beyond_table", bytes({"23 53 0D 00 00 00 00 00 00 00 00 00 00 0D 2A"}),
         {{0, "TP slot 13 row 0 (no such row): position 0, NID 0, FREQ 0, SYMB 0, POL V" + ok}}},
        {"row_beyond_slot", bytes({"23 53 00 03 00 00 00 00 00 00 00 00 00 03 2A"}),
         {{0, "TP slot 0 row 3 (no such row): position 0, NID 0, FREQ 0, SYMB 0, POL V" + ok}}},
        {"polarisation_byte_neither_0_nor_1",
         bytes({"23 53 00 00 00 00 00 00 00 00 00 00 02 02 2A"}),
         {{0, "TP ASTRA 2 TP1: position 0, NID 0, FREQ 0, SYMB 0, POL invalid (02)" + ok}}},
        {"tp_wrong_checksum", bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AB 2A"}),
         {{0, "TP HOTBIRD TP2" + hotbird_fields +
                  "; checksum wrong (AB, should be AA), end marker ok"}}},
        {"auto_wrong_checksum_and_end",
         bytes({"23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 59 2B"}),
         {{0, "auto: rates 0-9 27500 " + rates_1_9 +
                  "; checksum wrong (59, should be 58), end marker wrong (2B)"}}},
        {"stray_between_frames",
         bytes({hotbird_tp2, "00 FF", auto_rates}),
         {{0, tp2_line}, {15, "stray bytes (2): 00 FF"}, {17, auto_line}}},
        {"stray_before_first_frame_with_unknown_type",
         bytes({"2A 23 41 0D", hotbird_tp2}),
         {{0, "stray bytes (4): 2A 23 41 0D"}, {4, tp2_line}}},
        {"start_marker_as_tagged_checksum",
         bytes({tagged_hash_checksum, hotbird_tp2}),
         {{0, "tagged TP: position 130, NID 169, FREQ 11778, SYMB 27500, POL V" + ok},
          {15, tp2_line}}},
        // NID 0x5323 puts "#S" into the data.
        {"start_and_type_inside_data",
         bytes({"23 53 00 00 00 00 23 53 00 00 00 00 00 70 2A", hotbird_tp2}),
         {{0, "TP ASTRA 2 TP1: position 0, NID 21283, FREQ 0, SYMB 0, POL V" + ok},
          {15, tp2_line}}},
        {"truncated_tail",
         bytes({hotbird_tp2, "23 42 6C 6B F0 55 30"}),
         {{0, tp2_line}, {15, "auto truncated, 7 of 24 bytes: 23 42 6C 6B F0 55 30"}}},
        {"truncated_tagged_auto", bytes({"23 42 14 37 F0"}),
         {{0, "tagged auto truncated, 5 of 24 bytes: 23 42 14 37 F0"}}},
        {"truncated_tail_holding_start_marker",
         bytes({hotbird_tp2, "23 53 14 37 82 00 A9 00 02 2E 6C 6B 00 23"}),
         {{0, tp2_line},
          {15, "tagged TP truncated, 14 of 15 bytes: 23 53 14 37 82 00 A9 00 02 2E 6C 6B 00 23"}}},
        {"lone_start_marker_at_end",
         bytes({hotbird_tp2, "23"}),
         {{0, tp2_line}, {15, "truncated frame, type letter missing: 23"}}},
        {"lost_byte_resynchronises_on_next_frame",
         bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B AA 2A", hotbird_tp2}),
         {{0, "TP truncated, 14 of 15 bytes: 23 53 03 01 82 00 01 00 02 2E 6C 6B AA 2A"},
          {14, tp2_line}}},
        {"frame_cut_right_after_its_type_letter", bytes({"23 53", hotbird_tp2}),
         {{0, "TP truncated, 2 of 15 bytes: 23 53"}, {2, tp2_line}}},
        {"lost_end_marker_resynchronises_at_the_last_byte",
         bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA", hotbird_tp2}),
         {{0, "TP truncated, 14 of 15 bytes: 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA"},
          {14, tp2_line}}},
        {"damaged_end_marker_keeps_length",
         bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2B", hotbird_tp2}),
         {{0, "TP HOTBIRD TP2" + hotbird_fields + "; checksum ok, end marker wrong (2B)"},
          {15, tp2_line}}},
        // A live reader sees long noise in runs of 64 bytes.
        {"noise_in_bounded_runs", Bytes(65, 0x55),
         {{0, "stray bytes (64): " + repeated("55 ", 63) + "55"}, {64, "stray bytes (1): 55"}}},
        {"inserted_byte_leaves_a_stray_end_marker",
         bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 00 2A", hotbird_tp2}),
         {{0, "TP HOTBIRD TP2" + hotbird_fields + "; checksum ok, end marker wrong (00)"},
          {15, "stray bytes (1): 2A"},
          {16, tp2_line}}},
    };
}

class SplitStream : public ::testing::TestWithParam<StreamCase> {};

// The bytes arrive in whatever pieces the line delivers: every cut, the whole stream included,
// gives the same frames.
TEST_P(SplitStream, GivesTheFramesInOrderHoweverFed)
{
    const StreamCase& c = GetParam();
    for (std::size_t chunk = 1; chunk <= std::max<std::size_t>(c.stream.size(), 1); ++chunk)
        EXPECT_EQ(described(decode(c.stream, [chunk] { return chunk; })), c.frames)
            << "fed " << chunk << " at a time";
}

INSTANTIATE_TEST_SUITE_P(Streams, SplitStream, ::testing::ValuesIn(stream_cases()),
                         [](const auto& test) { return test.param.name; });

TEST(FrameDecoder, StartsAFreshStreamAfterFinish)
{
    const Bytes frame = bytes({hotbird_tp2});
    FrameDecoder decoder;
    decoder.feed(std::span(frame).first(5));
    decoder.finish();
    const auto frames = decoder.feed(frame);
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames[0].offset, 0U);
    EXPECT_TRUE(frames[0].complete);
}

// Pieces of frames, markers and noise in random order and random feeds: every byte comes back
// once, in order, and the cut of the feeds changes nothing.
TEST(FrameDecoder, LosesNoByteOfAnyStream)
{
    const std::vector<Bytes> pieces{bytes({hotbird_tp2}), bytes({tagged_hash_checksum}),
                                    bytes({auto_rates}), {0x23}, {0x23, 0x53}, {0x2A},
                                    {0x23, 0x42, 0x14}, {0x00, 0xFF, 0x41}};
    std::mt19937 random(20261206);
    for (int round = 0; round < 200; ++round) {
        Bytes stream;
        for (int n = std::uniform_int_distribution(0, 12)(random); n > 0; --n) {
            const Bytes& piece = pieces[random() % pieces.size()];
            stream.insert(stream.end(), piece.begin(), piece.end());
        }
        const auto frames = decode(stream, [&random] { return 1 + random() % 20; });
        Bytes joined;
        for (const DecodedFrame& frame : frames) {
            EXPECT_EQ(frame.offset, joined.size());
            joined.insert(joined.end(), frame.bytes.begin(), frame.bytes.end());
        }
        ASSERT_EQ(joined, stream) << "round " << round;
        const auto whole = decode(stream, [&stream] { return stream.size(); });
        EXPECT_EQ(described(frames), described(whole));
    }
}

// A frame put together by a caller is judged by its bytes, never by flags that contradict them.
TEST(DescribeHandMadeFrame, TrustsTheBytesNotTheFlags)
{
    DecodedFrame frame;
    frame.kind = FrameKind::autosym;
    frame.complete = frame.checksum_ok = frame.end_marker_ok = true;
    frame.bytes = bytes({"23 53 03 01 82"});
    EXPECT_EQ(describe_frame(frame), "TP truncated, 5 of 15 bytes: 23 53 03 01 82");
    frame.bytes.clear();
    EXPECT_EQ(describe_frame(frame), "truncated frame, type letter missing: ");
}

} // namespace
} // namespace tervalink
