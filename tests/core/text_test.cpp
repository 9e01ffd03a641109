// The console writer's cut: what of a flushed buffer is whole characters, and what waits for the
// bytes that complete a character split across two flushes.
#include <gtest/gtest.h>

#include <string>

#include "text.h"

namespace tervalink {
namespace {

// Characters of one to four bytes with each count of their bytes present, alone or after whole
// characters: every place a flush can cut a text.
TEST(CompleteUtf8Length, AnUnfinishedCharacterAtTheEndWaits)
{
    const std::pair<std::string, std::size_t> cases[] = {
        {"", 0}, {"abc", 3},
        {"\xC3\xA4", 2}, {"\xC3", 0}, {"a\xC3", 1},                             // ä
        {"\xE8\xA1\x9B", 3}, {"\xE8\xA1", 0}, {"a\xE8", 1}, {"\xC5\x82\xE8\xA1", 2}, // 衛, ł衛
        {"\xF0\x9F\x93\xA1", 4}, {"\xF0\x9F\x93", 0}, {"x\xF0\x9F", 1}, {"\xF0", 0}, // 📡
        // Bytes no character can start with go out (as U+FFFD) instead of waiting for ever.
        {"\x80\x80\x80\x80", 4}, {"a\xA4", 2}};
    for (const auto& [bytes, whole] : cases)
        EXPECT_EQ(complete_utf8_length(bytes), whole) << testing::PrintToString(bytes);
}

} // namespace
} // namespace tervalink
