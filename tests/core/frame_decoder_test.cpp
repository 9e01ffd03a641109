// Reading a stream of frames back, as the antenna unit reads it.
#include <algorithm>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frame_decoder.h"

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

// Worked examples: HOTBIRD TP2 and its tagged twin, the auto symbol-rate pair; NID 169, whose
// tagged checksum is 0x23, a start marker inside the frame.
constexpr std::string_view tp2 = "23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2A";
constexpr std::string_view tp2_tagged = "23 53 14 37 82 00 01 00 02 2E 6C 6B 00 8B 2A";
constexpr std::string_view hash_checksum = "23 53 14 37 82 00 A9 00 02 2E 6C 6B 00 23 2A";
constexpr std::string_view rates = "23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 58 2A";
constexpr std::string_view rates_tagged = "23 42 14 37 F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 7C 2A";
const std::string ok = "; checksum ok, end marker ok";
const std::string fields = ": position 130, NID 1, FREQ 11778, SYMB 27500, POL V";
const std::string tp2_line = "TP HOTBIRD TP2" + fields + ok;
const std::string rates_1_9 = "22000 30000 29900 27000 28000 25000 23000 6111 5000";
const std::string auto_line = "auto: rates 0-9 27500 " + rates_1_9 + ok;

// Feeds the stream in pieces of next_size() bytes, then finishes it. One decoder reads every stream
// of every test: each finish must leave it as fresh as a new one.
FrameDecoder decoder;

std::vector<DecodedFrame> decode(const Bytes& stream, const std::function<std::size_t()>& next_size)
{
    std::vector<DecodedFrame> frames;
    const auto keep = [&frames](std::vector<DecodedFrame> more) { frames.insert(frames.end(), more.begin(), more.end()); };
    for (std::size_t at = 0; at < stream.size();) {
        const std::size_t size = std::min(next_size(), stream.size() - at);
        keep(decoder.feed(std::span(stream).subspan(at, size)));
        at += size;
    }
    keep(decoder.finish());
    return frames;
}

Seen described(const std::vector<DecodedFrame>& frames)
{
    Seen seen;
    for (const DecodedFrame& frame : frames)
        seen.emplace_back(frame.offset, describe_frame(frame));
    return seen;
}

// Stream -> frames; the bytes arrive in whatever pieces the line delivers: every cut, the whole
// stream included, gives the same frames.
TEST(FrameDecoder, GivesTheFramesInOrderHoweverFed)
{
    std::string noise64;
    for (int n = 0; n < 63; ++n)
        noise64 += "55 ";
    const struct { Bytes stream; Seen frames; } cases[] = {
        {{}, {}},
        {bytes({tp2, tp2_tagged, rates, rates_tagged}),
         {{0, tp2_line}, {15, "tagged TP" + fields + ok}, {30, auto_line}, {54, "tagged auto: rates 1-9 " + rates_1_9 + ok}}},
        {bytes({"23 53 0C 02 DE 0D FF FF CE 31 FF 7C 01 A0 2A"}),
         {{0, "TP ASTRA 4S TP3: position 3550, NID 65535, FREQ 12750, SYMB 31999, POL H" + ok}}},
        {bytes({"23 53 0D 00 00 00 00 00 00 00 00 00 00 0D 2A"}),
         {{0, "TP slot 13 row 0 (no such row): position 0, NID 0, FREQ 0, SYMB 0, POL V" + ok}}},
        {bytes({"23 53 00 03 00 00 00 00 00 00 00 00 00 03 2A"}),
         {{0, "TP slot 0 row 3 (no such row): position 0, NID 0, FREQ 0, SYMB 0, POL V" + ok}}},
        {bytes({"23 53 00 00 00 00 00 00 00 00 00 00 02 02 2A"}),
         {{0, "TP ASTRA 2 TP1: position 0, NID 0, FREQ 0, SYMB 0, POL invalid (02)" + ok}}},
        {bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AB 2A"}),
         {{0, "TP HOTBIRD TP2" + fields + "; checksum wrong (AB, should be AA), end marker ok"}}},
        {bytes({"23 42 6C 6B F0 55 30 75 CC 74 78 69 60 6D A8 61 D8 59 DF 17 88 13 59 2B"}),
         {{0, "auto: rates 0-9 27500 " + rates_1_9 + "; checksum wrong (59, should be 58), end marker wrong (2B)"}}},
        {bytes({tp2, "00 FF", rates}), {{0, tp2_line}, {15, "stray bytes (2): 00 FF"}, {17, auto_line}}},
        {bytes({"2A 23 41 0D", tp2}), {{0, "stray bytes (4): 2A 23 41 0D"}, {4, tp2_line}}},
        {bytes({hash_checksum, tp2}),
         {{0, "tagged TP: position 130, NID 169, FREQ 11778, SYMB 27500, POL V" + ok}, {15, tp2_line}}},
        // NID 0x5323 puts "#S" into the data.
        {bytes({"23 53 00 00 00 00 23 53 00 00 00 00 00 70 2A", tp2}),
         {{0, "TP ASTRA 2 TP1: position 0, NID 21283, FREQ 0, SYMB 0, POL V" + ok}, {15, tp2_line}}},
        {bytes({tp2, "23 42 6C 6B F0 55 30"}), {{0, tp2_line}, {15, "auto truncated, 7 of 24 bytes: 23 42 6C 6B F0 55 30"}}},
        {bytes({tp2, "23 53 14 37 82 00 A9 00 02 2E 6C 6B 00 23"}),
         {{0, tp2_line}, {15, "tagged TP truncated, 14 of 15 bytes: 23 53 14 37 82 00 A9 00 02 2E 6C 6B 00 23"}}},
        {bytes({"23 42 14 37 F0"}), {{0, "tagged auto truncated, 5 of 24 bytes: 23 42 14 37 F0"}}},
        {bytes({tp2, "23"}), {{0, tp2_line}, {15, "truncated frame, type letter missing: 23"}}},
        {bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B AA 2A", tp2}),
         {{0, "TP truncated, 14 of 15 bytes: 23 53 03 01 82 00 01 00 02 2E 6C 6B AA 2A"}, {14, tp2_line}}},
        {bytes({"23 53", tp2}), {{0, "TP truncated, 2 of 15 bytes: 23 53"}, {2, tp2_line}}},
        {bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA", tp2}),
         {{0, "TP truncated, 14 of 15 bytes: 23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA"}, {14, tp2_line}}},
        {bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 2B", tp2}),
         {{0, "TP HOTBIRD TP2" + fields + "; checksum ok, end marker wrong (2B)"}, {15, tp2_line}}},
        // A live reader sees long noise in runs of 64 bytes.
        {Bytes(65, 0x55), {{0, "stray bytes (64): " + noise64 + "55"}, {64, "stray bytes (1): 55"}}},
        {bytes({"23 53 03 01 82 00 01 00 02 2E 6C 6B 00 AA 00 2A", tp2}),
         {{0, "TP HOTBIRD TP2" + fields + "; checksum ok, end marker wrong (00)"}, {15, "stray bytes (1): 2A"}, {16, tp2_line}}}};
    for (const auto& c : cases)
        for (std::size_t chunk = 1; chunk <= std::max<std::size_t>(c.stream.size(), 1); ++chunk)
            EXPECT_EQ(described(decode(c.stream, [chunk] { return chunk; })), c.frames) << "fed " << chunk << " at a time";
}

// Pieces of frames, markers and noise in random order and random feeds: every byte comes back
// once, in order, and the cut of the feeds changes nothing.
TEST(FrameDecoder, LosesNoByteOfAnyStream)
{
    const std::vector<Bytes> pieces{bytes({tp2}), bytes({hash_checksum}), bytes({rates}), {0x23}, {0x23, 0x53},
                                    {0x2A}, {0x23, 0x42, 0x14}, {0x00, 0xFF, 0x41}};
    std::mt19937 random(20261206);
    for (int round = 0; round < 200; ++round) {
        Bytes stream, joined;
        for (int n = std::uniform_int_distribution(0, 12)(random); n > 0; --n) {
            const Bytes& piece = pieces[random() % pieces.size()];
            stream.insert(stream.end(), piece.begin(), piece.end());
        }
        const auto frames = decode(stream, [&random] { return 1 + random() % 20; });
        for (const DecodedFrame& frame : frames) {
            EXPECT_EQ(frame.offset, joined.size());
            joined.insert(joined.end(), frame.bytes.begin(), frame.bytes.end());
        }
        ASSERT_EQ(joined, stream) << "round " << round;
        EXPECT_EQ(described(frames), described(decode(stream, [&stream] { return stream.size(); })));
    }
}

// A frame put together by a caller is judged by its bytes, never by flags that contradict them.
TEST(FrameDecoder, DescribeTrustsTheBytesNotTheFlags)
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
