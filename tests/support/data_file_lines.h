#pragma once
// Data files whose every field tells its line apart, and reads of them.
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "data_file_reader.h"
#include "result_failure.h"

namespace tervalink::test {

using Texts = std::vector<std::string>;
inline constexpr auto whole = std::numeric_limits<std::size_t>::max();

// Lines 1..count of a file whose every field tells its line apart: TP line n is
// "S<slot>,<100+n>,<n>,<11000+n>,<27000+n>,<n odd>"; auto line n holds 20000 + 1000 (n - 40) + k.
inline std::vector<std::string> file_lines(int count)
{
    std::vector<std::string> lines;
    for (int n = 1; n <= count; ++n) {
        const std::string d = (n < 10 ? "0" : "") + std::to_string(n);
        std::string line = "S" + std::to_string((n - 1) % slot_count) + ",1" + d + "," + std::to_string(n) + ",110" + d + ",270" + d + (n % 2 ? ",1" : ",0");
        if (n > tp_line_count)
            for (int k = 0; k < auto_rate_count; ++k)
                line = (k ? line + ",2" : "2") + std::to_string(n - 40) + "00" + std::to_string(k);
        lines.push_back(line);
    }
    return lines;
}

inline std::string join(const std::vector<std::string>& lines, const std::string& line_break)
{
    std::string text;
    for (const auto& line : lines)
        text += line + line_break;
    return text;
}

// Reads the text as the file `name` fed in pieces of the given size, then finishes.
// The buffers are those the read leaves.
inline std::string read(ImportBuffers& buffers, std::string_view text, std::size_t piece = whole,
                        const std::string& name = "f.csv")
{
    DataFileReader reader(buffers);
    reader.start(name);
    Expected<void> read;
    for (std::size_t at = 0; read && at < text.size(); at += piece)
        read = reader.feed(text.substr(at, piece));
    if (read)
        read = reader.feed({});
    if (read)
        read = reader.finish();
    buffers = reader.buffers();
    return failure_of(read);
}

inline Texts texts(const auto& buffer) { return Texts(buffer.begin(), buffer.end()); }

} // namespace tervalink::test
