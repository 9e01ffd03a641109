#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tervalink {

// Every frame is a start marker, a type letter, the payload, an exclusive-or checksum and an end
// marker; the type letter alone fixes the length. The encoder and the decoder both read the byte
// positions from here.
inline constexpr std::uint8_t start_marker = 0x23; // "#"
inline constexpr std::uint8_t end_marker = 0x2A;   // "*"
inline constexpr std::uint8_t tp_type = 0x53;      // "S"
inline constexpr std::uint8_t autosym_type = 0x42; // "B"
inline constexpr std::uint8_t tag_first = 20;
inline constexpr std::uint8_t tag_second = 55;

inline constexpr std::size_t tp_length = 15;
inline constexpr std::size_t autosym_length = 24;

inline constexpr std::size_t type_at = 1;
inline constexpr std::size_t payload_at = 2;
// A tagged copy carries the tag pair in the first two payload bytes.
inline constexpr std::size_t tag_at = payload_at;

// TP packet: slot and row, then four 16-bit fields low byte first, then the polarisation byte.
inline constexpr std::size_t tp_slot_at = 2;
inline constexpr std::size_t tp_row_at = 3;
inline constexpr std::size_t tp_position_at = 4;
inline constexpr std::size_t tp_nid_at = 6;
inline constexpr std::size_t tp_freq_at = 8;
inline constexpr std::size_t tp_symb_at = 10;
inline constexpr std::size_t tp_pol_at = 12;

// Auto symbol-rate packet: rate k as a 16-bit field.
constexpr std::size_t autosym_rate_at(std::size_t k) { return payload_at + 2 * k; }

constexpr std::size_t checksum_at(std::size_t frame_length) { return frame_length - 2; }

// Exclusive or of every payload byte: from just after the type letter up to the checksum.
constexpr std::uint8_t frame_checksum(std::span<const std::uint8_t> frame)
{
    std::uint8_t sum = 0;
    for (std::size_t i = payload_at; i < checksum_at(frame.size()); ++i)
        sum ^= frame[i];
    return sum;
}

} // namespace tervalink
