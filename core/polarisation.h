#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tervalink {

// The polarisation byte of a TP packet: 1 for horizontal, 0 for vertical.
inline constexpr std::uint8_t horizontal_byte = 1;
inline constexpr std::uint8_t vertical_byte = 0;

// What goes on the wire for a POL text: "H" or "h" is horizontal, every other text vertical.
std::uint8_t polarisation_byte(std::string_view pol);

// What an import writes into POL for the flag of a TP line: "H" for "1", "V" for anything else.
// Only the one character right after the fifth comma is the flag.
inline constexpr std::size_t polarisation_flag_length = 1;
std::string_view imported_polarisation(std::string_view flag);

// What the check lets through: "H" or "V" in either case.
bool is_valid_polarisation(std::string_view pol);

} // namespace tervalink
