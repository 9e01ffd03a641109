// Splitting data file bytes into the import buffers, however they arrive.
#include <array>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "data_file_lines.h"
#include "data_file_reader.h"

namespace tervalink::test {
namespace {

// CR, LF and CR LF each end a line, and a line, a field or a CR LF pair may be cut anywhere
// between two reads. Each case reads, whole and in pieces, over buffers whose every field is "o";
// a failing read keeps what it stored: earlier lines whole, the failing line up to its last comma,
// later lines untouched. An auto case line is followed by a long line without commas, which stops
// the read without storing anything. Short complete auto lines take a faster way through the
// reader than lines cut by the end of a piece.
TEST(DataFileReader, EveryLineBreakAndCutReadsAlikeAndALineWithoutItsCommasKeepsWhatWasStored)
{
    const auto lines = file_lines(41);
    std::string mixed, long_file = join(file_lines(40), "\n"); // line numbers beyond sixteen bits
    for (std::size_t n = 0; n < lines.size(); ++n)
        mixed += lines[n] + std::array{"\n", "\r", "\r\n"}[n % 3];
    for (int n = 41; n <= 70000; ++n)
        long_file += "1,2,3,4,5,6,7,8,9,10\n";
    const std::string lf = join(lines, "\n"), tp = join(file_lines(39), "\n"), stop = "\n" + std::string(100, 'x');
    const auto tenth = [](std::string last) { return Texts{"1", "2", "3", "4", "5", "6", "7", "8", "9", std::move(last)}; };
    const Texts o6(6, "o"), line_41 = {"21000", "21001", "21002", "21003", "21004", "21005", "21006", "21007", "21008", "21009"};
    const std::string at_41 = "line 41: expected 9 commas, found 0", empty_2 = "line 2: expected 5 commas, found 0 (the line is empty)";
    // message after "f.csv, " ("" when the read succeeds); line_count: TP lines stored whole;
    // stored: the buffer of the last line read (its TP record, or the auto values).
    const struct { std::string text, message; int line_count; Texts stored; } cases[] = {
        {lf, "", 39, line_41}, {join(lines, "\r"), "", 39, line_41}, {join(lines, "\r\n"), "", 39, line_41},
        {mixed, "", 39, line_41}, {lf.substr(0, lf.size() - 1), "", 39, line_41},
        {join(lines, "\n\r"), empty_2, 1, o6}, {join(lines, "\r\r\n"), empty_2, 1, o6},
        {join(file_lines(11), "\n") + "N,P,Q,R,S\n" + tp, "line 12: expected 5 commas, found 4", 11, {"N", "P", "Q", "R", "o", "o"}},
        {join(file_lines(4), "\r") + "\r" + tp, "line 5: expected 5 commas, found 0 (the line is empty)", 4, o6},
        {long_file + "1,2,3\n", "line 70001: expected 9 commas, found 2", 39, tenth("10")},
        // One line of 8 MiB: what is kept of a field stays within its limit.
        {std::string(8 << 20, 'x'), "line 1: expected 5 commas, found 0", 0, o6},
        {tp + "1,2,3,4,5,6,7,8,9,10" + stop, at_41, 39, tenth("10")},
        {tp + ",,,,,,,,," + stop, at_41, 39, Texts(10, "")},
        {tp + "1,2,3,4,5,6,7,8,9,1,0,5" + stop, at_41, 39, tenth("1,0,5")},
        {tp + "123456,2,3,4,5,6,7,8, 9 ,1234567" + stop, at_41, 39, {"12345", "2", "3", "4", "5", "6", "7", "8", " 9 ", "12345"}},
        // 63, 64 and 65 bytes before the line break: around the 64-byte window.
        {tp + "1,2,3,4,5,6,7,8,9," + std::string(45, 'a') + stop, at_41, 39, tenth("aaaaa")},
        {tp + "1,2,3,4,5,6,7,8,9," + std::string(46, 'b') + "\r" + stop, at_41, 39, tenth("bbbbb")},
        {tp + "1,2,3,4,5,6,7,8,9," + std::string(47, 'c') + stop, at_41, 39, tenth("ccccc")},
        {tp + "1,2,3,4,5,6,7,8,9" + stop, "line 40: expected 9 commas, found 8", 39, {"1", "2", "3", "4", "5", "6", "7", "8", "o", "o"}},
        {tp + "\n", "line 40: expected 9 commas, found 0 (the line is empty)", 39, Texts(10, "o")},
        {join(file_lines(40), "\r\n") + "a,b,c,d,e,f,g,h,i", "line 41: expected 9 commas, found 8", 39, {"a", "b", "c", "d", "e", "f", "g", "h", "20008", "20009"}},
        {join(file_lines(40), "\n") + "\n", "line 41: expected 9 commas, found 0 (the line is empty)", 39,
         {"20000", "20001", "20002", "20003", "20004", "20005", "20006", "20007", "20008", "20009"}}};
    for (const auto& c : cases) {
        for (std::size_t piece : {whole, std::size_t{1}, std::size_t{2}, std::size_t{7}, std::size_t{33}}) {
            ImportBuffers buffers;
            for (auto& record : buffers.file_tp_records)
                record.fill("o");
            buffers.file_auto_rates.fill("o");
            EXPECT_EQ(read(buffers, c.text, piece), c.message.empty() ? "" : "f.csv, " + c.message) << piece;
            const auto& records = buffers.file_tp_records;
            const auto n = static_cast<std::size_t>(c.line_count);
            EXPECT_EQ(buffers.file_line_count, c.line_count) << c.message;
            EXPECT_EQ(n == tp_line_count ? texts(buffers.file_auto_rates) : texts(records[n]), c.stored) << c.message;
            // The line before the last one read is whole; the next TP record and the autos are untouched.
            const Texts around = {n ? join(texts(records[n - 1]), ",") : "-", n < tp_line_count ? records[n + 1][2] + buffers.file_auto_rates[0] : "oo"};
            EXPECT_EQ(around, (Texts{n ? file_lines(c.line_count)[n - 1] + "," : "-", "oo"})) << c.message;
        }
    }
}

} // namespace
} // namespace tervalink::test
