#include "frame_decoder.h"

#include <algorithm>
#include <array>
#include <optional>

#include "frame_layout.h"
#include "polarisation.h"
#include "satellite_table.h"

namespace tervalink {
namespace {

// Long runs of noise come out in pieces, so a live reader sees them without waiting for a frame.
constexpr std::size_t max_stray_run = 64;

bool is_frame_type(std::uint8_t byte) { return byte == tp_type || byte == autosym_type; }

std::size_t frame_length(std::uint8_t type)
{
    return type == tp_type ? tp_length : autosym_length;
}

// How many bytes from data[0] (a start marker followed by a type letter) make the frame, or
// nothing while more bytes are needed to decide. The decision only ever looks at bytes up to one
// past the frame's nominal length, so it comes out the same however the stream was fed.
std::optional<std::size_t> frame_extent(std::span<const std::uint8_t> data, bool at_end)
{
    const std::size_t length = frame_length(data[type_at]);
    if (data.size() >= length && data[length - 1] == end_marker)
        return length;
    if (data.size() < length && !at_end)
        return std::nullopt;
    const std::size_t scanned = std::min(data.size(), length);
    for (std::size_t p = payload_at; p < scanned; ++p) {
        if (data[p] != start_marker)
            continue;
        // A start marker as the very last byte of the stream proves nothing: it stays in the frame.
        if (p + 1 == data.size()) {
            if (at_end)
                continue;
            return std::nullopt;
        }
        if (is_frame_type(data[p + type_at]))
            return p;
    }
    return scanned;
}

bool carries_tag(std::span<const std::uint8_t> bytes)
{
    return bytes.size() > tag_at + 1 && bytes[tag_at] == tag_first && bytes[tag_at + 1] == tag_second;
}

FrameKind kind_of(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() <= type_at)
        return FrameKind::untyped;
    if (bytes[type_at] == tp_type)
        return carries_tag(bytes) ? FrameKind::tagged_tp : FrameKind::tp;
    return carries_tag(bytes) ? FrameKind::tagged_autosym : FrameKind::autosym;
}

DecodedFrame make_frame(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    DecodedFrame frame;
    frame.kind = kind_of(bytes);
    frame.bytes.assign(bytes.begin(), bytes.end());
    frame.offset = offset;
    frame.complete = bytes.size() > type_at && bytes.size() == frame_length(bytes[type_at]);
    if (frame.complete) {
        frame.checksum_ok = frame_checksum(bytes) == bytes[checksum_at(bytes.size())];
        frame.end_marker_ok = bytes.back() == end_marker;
    }
    return frame;
}

} // namespace

std::vector<DecodedFrame> FrameDecoder::feed(std::span<const std::uint8_t> bytes)
{
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::vector<DecodedFrame> out;
    split(false, out);
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
    return out;
}

std::vector<DecodedFrame> FrameDecoder::finish()
{
    std::vector<DecodedFrame> out;
    split(true, out);
    flush_stray(out);
    *this = FrameDecoder{};
    return out;
}

void FrameDecoder::split(bool at_end, std::vector<DecodedFrame>& out)
{
    while (head_ < pending_.size()) {
        const std::span<const std::uint8_t> data(pending_.data() + head_, pending_.size() - head_);
        if (data[0] != start_marker) {
            take_stray_byte(out);
            continue;
        }
        if (data.size() <= type_at) {
            if (at_end)
                take_frame(1, out);
            return;
        }
        if (!is_frame_type(data[type_at])) {
            take_stray_byte(out);
            continue;
        }
        const auto extent = frame_extent(data, at_end);
        if (!extent)
            return;
        take_frame(*extent, out);
    }
}

void FrameDecoder::take_stray_byte(std::vector<DecodedFrame>& out)
{
    if (stray_.bytes.empty())
        stray_.offset = stream_offset_;
    stray_.bytes.push_back(pending_[head_]);
    ++head_;
    ++stream_offset_;
    if (stray_.bytes.size() == max_stray_run)
        flush_stray(out);
}

void FrameDecoder::flush_stray(std::vector<DecodedFrame>& out)
{
    if (stray_.bytes.empty())
        return;
    out.push_back(std::move(stray_));
    stray_ = DecodedFrame{};
}

void FrameDecoder::take_frame(std::size_t length, std::vector<DecodedFrame>& out)
{
    flush_stray(out);
    out.push_back(make_frame(std::span(pending_).subspan(head_, length), stream_offset_));
    head_ += length;
    stream_offset_ += length;
}

std::string hex_bytes(std::span<const std::uint8_t> bytes)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) {
        if (!text.empty())
            text += ' ';
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

namespace {

unsigned value16(std::span<const std::uint8_t> frame, std::size_t low)
{
    return frame[low] + 256U * frame[low + 1];
}


std::string slot_and_row(std::span<const std::uint8_t> frame)
{
    const int slot = frame[tp_slot_at];
    const int row = frame[tp_row_at];
    if (slot < slot_count && row < rows_per_slot)
        return " " + std::string(choice_name(slot)) + " TP" + std::to_string(row + 1);
    return " slot " + std::to_string(slot) + " row " + std::to_string(row) + " (no such row)";
}

std::string polarisation(std::uint8_t byte)
{
    if (byte == horizontal_byte)
        return "H";
    if (byte == vertical_byte)
        return "V";
    return "invalid (" + hex_bytes(std::span(&byte, 1)) + ")";
}

std::string tp_fields(std::span<const std::uint8_t> frame)
{
    return "position " + std::to_string(value16(frame, tp_position_at)) + ", NID " +
           std::to_string(value16(frame, tp_nid_at)) + ", FREQ " +
           std::to_string(value16(frame, tp_freq_at)) + ", SYMB " +
           std::to_string(value16(frame, tp_symb_at)) + ", POL " + polarisation(frame[tp_pol_at]);
}

// The tagged packet carries the tag pair where rate 0 would be, so only rates 1 to 9 are read.
std::string rates(std::span<const std::uint8_t> frame, bool tagged)
{
    const std::size_t first = tagged ? 1 : 0;
    std::string text = tagged ? "rates 1-9" : "rates 0-9";
    for (std::size_t k = first; k < auto_rate_count; ++k)
        text += " " + std::to_string(value16(frame, autosym_rate_at(k)));
    return text;
}

std::string integrity(const DecodedFrame& frame)
{
    const std::span<const std::uint8_t> bytes(frame.bytes);
    std::string text = "checksum ";
    if (frame.checksum_ok)
        text += "ok";
    else
        text += "wrong (" + hex_bytes(bytes.subspan(checksum_at(bytes.size()), 1)) +
                ", should be " + hex_bytes(std::array{frame_checksum(bytes)}) + ")";
    text += ", end marker ";
    if (frame.end_marker_ok)
        text += "ok";
    else
        text += "wrong (" + hex_bytes(bytes.last(1)) + ")";
    return text;
}

std::string decoded_fields(const DecodedFrame& frame)
{
    const std::span<const std::uint8_t> bytes(frame.bytes);
    switch (frame.kind) {
    case FrameKind::tp: return slot_and_row(bytes) + ": " + tp_fields(bytes);
    case FrameKind::tagged_tp: return ": " + tp_fields(bytes);
    case FrameKind::autosym: return ": " + rates(bytes, false);
    case FrameKind::tagged_autosym: return ": " + rates(bytes, true);
    case FrameKind::untyped:
    case FrameKind::stray: break;
    }
    return {};
}

} // namespace

std::string kind_name(FrameKind kind)
{
    switch (kind) {
    case FrameKind::tp: return "TP";
    case FrameKind::tagged_tp: return "tagged TP";
    case FrameKind::autosym: return "auto";
    case FrameKind::tagged_autosym: return "tagged auto";
    case FrameKind::untyped: return "untyped";
    case FrameKind::stray: return "stray";
    }
    return "unknown";
}

std::string describe_frame(const DecodedFrame& frame)
{
    const std::string hex = hex_bytes(frame.bytes);
    const std::string count = std::to_string(frame.bytes.size());
    if (frame.kind == FrameKind::stray)
        return "stray bytes (" + count + "): " + hex;
    // Judged from the bytes alone, so a frame put together elsewhere cannot be read past its end.
    const DecodedFrame checked = make_frame(frame.bytes, frame.offset);
    if (checked.kind == FrameKind::untyped)
        return "truncated frame, type letter missing: " + hex;
    if (!checked.complete)
        return kind_name(checked.kind) + " truncated, " + count + " of " +
               std::to_string(frame_length(checked.bytes[type_at])) + " bytes: " + hex;
    return kind_name(checked.kind) + decoded_fields(checked) + "; " + integrity(checked);
}

} // namespace tervalink
