#include "text.h"

namespace tervalink {
namespace {

bool is_continuation_byte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

} // namespace

std::size_t character_count(std::string_view utf8)
{
    std::size_t count = 0;
    for (char c : utf8)
        if (!is_continuation_byte(c))
            ++count;
    return count;
}

std::string limit_characters(std::string_view utf8, std::size_t max_characters)
{
    std::size_t started = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (is_continuation_byte(utf8[i]))
            continue;
        if (started == max_characters)
            return std::string(utf8.substr(0, i));
        ++started;
    }
    return std::string(utf8);
}

std::size_t complete_utf8_length(std::string_view utf8)
{
    // An unfinished sequence is its lead byte and at most two continuation bytes.
    const std::size_t size = utf8.size();
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(utf8[size - back]);
        if (is_continuation_byte(utf8[size - back]))
            continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

std::string latin1_to_utf8(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size());
    for (char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

} // namespace tervalink
