// The console writer's cut: what of a flushed buffer is whole characters, and what waits for the
// bytes that complete a character split across two flushes.
#include <gtest/gtest.h>

#include <string>

#include "text.h"

namespace tervalink {
namespace {

TEST(CompleteUtf8Length, AnUnfinishedCharacterAtTheEndWaits)
{
    const std::pair<std::string, std::size_t> cases[] = {
        {"", 0}, {"abc", 3},
        {"\xC3\xA4", 2}, {"\xC3", 0}, {"a\xC3", 1},                             // ä
        {"\xE8\xA1\x9B", 3}, {"\xE8\xA1", 0}, {"a\xE8", 1}, {"\xC5\x82\xE8\xA1", 2}, // 衛, ł衛
        {"\xF0\x9F\x93\xA1", 4}, {"\xF0\x9F\x93", 0}, {"x\xF0\x9F", 1},          // 📡
        // Bytes no character can start with go out (as U+FFFD) instead of waiting for ever.
        {"\x80\x80\x80\x80", 4}, {"a\xA4", 2}};
    for (const auto& [bytes, whole] : cases)
        EXPECT_EQ(complete_utf8_length(bytes), whole) << testing::PrintToString(bytes);
}

// A text cut into two flushes at every byte comes out as the same characters, each whole.
TEST(CompleteUtf8Length, EveryCutGivesWholeCharacters)
{
    const std::string text = "Empfang-\xC3\xA4-\xC5\x82-\xE8\xA1\x9B\xE6\x98\x9F-\xF0\x9F\x93\xA1";
    for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        std::string held = text.substr(0, cut);
        const std::size_t first = complete_utf8_length(held);
        const std::string first_piece = held.substr(0, first);
        held = held.substr(first) + text.substr(cut);
        EXPECT_EQ(complete_utf8_length(held), held.size()) << cut;
        EXPECT_EQ(first_piece + held, text) << cut;
        // The rest starts a character: the first piece ended on a whole one.
        EXPECT_TRUE(held.empty() || (static_cast<unsigned char>(held[0]) & 0xC0) != 0x80) << cut;
    }
}

} // namespace
} // namespace tervalink
