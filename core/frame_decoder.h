#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "frame_kind.h"

namespace tervalink {

struct DecodedFrame {
    FrameKind kind = FrameKind::stray;
    std::vector<std::uint8_t> bytes;
    std::size_t offset = 0;     // position of the first byte in the stream
    bool complete = false;      // as long as its type demands
    bool checksum_ok = false;   // only meaningful when complete
    bool end_marker_ok = false; // only meaningful when complete
};

// Splits a byte stream into frames the way the antenna unit reads it: a start marker and a type
// letter fix the length, so a "#" inside a frame (a tagged TP packet whose checksum is 0x23) is
// data. Only when a frame lacks its end marker is a start marker inside it taken as the next
// frame, since bytes were lost. Nothing is dropped: bytes outside frames come back as stray runs.
// The result does not depend on how the stream is cut into feeds.
class FrameDecoder {
public:
    std::vector<DecodedFrame> feed(std::span<const std::uint8_t> bytes);
    // The end of the stream: what is still held comes back, a cut-off frame as incomplete.
    std::vector<DecodedFrame> finish();

private:
    void split(bool at_end, std::vector<DecodedFrame>& out);
    void take_stray_byte(std::vector<DecodedFrame>& out);
    void flush_stray(std::vector<DecodedFrame>& out);
    void take_frame(std::size_t length, std::vector<DecodedFrame>& out);

    std::vector<std::uint8_t> pending_;
    std::size_t head_ = 0;          // first byte of pending_ not yet given out
    std::size_t stream_offset_ = 0; // stream position of pending_[head_]
    DecodedFrame stray_;
};

// "TP", "tagged TP", "auto", "tagged auto", "untyped" or "stray".
std::string kind_name(FrameKind kind);

// Upper-case hex, one blank between bytes: "23 53 03".
std::string hex_bytes(std::span<const std::uint8_t> bytes);

// One line for a technician: kind, the decoded fields, and whether checksum and end marker hold,
// e.g. "TP HOTBIRD TP2: position 130, NID 1, FREQ 11778, SYMB 27500, POL V; checksum ok, end ok".
std::string describe_frame(const DecodedFrame& frame);

} // namespace tervalink
