#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tervalink {

// Texts in the satellite table are UTF-8; a length limit counts characters (code points), so a
// position box of four characters holds four characters whatever they are.
std::size_t character_count(std::string_view utf8);
std::string limit_characters(std::string_view utf8, std::size_t max_characters);

// How much of `utf8` ends on a whole character: all of it but an unfinished sequence at its end
// (a lead byte without all its continuation bytes), which waits for the bytes that complete it.
// Bytes that can never become a character count as whole, so nothing waits for ever.
std::size_t complete_utf8_length(std::string_view utf8);

// Data files are 8-bit text: every byte is one Latin-1 character.
std::string latin1_to_utf8(std::string_view latin1);

} // namespace tervalink
