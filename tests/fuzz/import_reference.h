#pragma once

// A plain, whole-file reading of the data file rules, slow and obvious, for the import fuzzer to
// compare the streaming reader with: lines cut at CR, LF or CR LF, fields found with find(",").

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "data_file.h"
#include "data_file_reader.h"
#include "text.h"

namespace tervalink::fuzzing {

struct ReferenceRead {
    ImportBuffers buffers;
    std::string failure; // empty when every line had its commas
};

inline std::vector<std::string> reference_lines(std::string_view bytes)
{
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        lines.push_back(line);
        line.clear();
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

inline std::string reference_field(const std::string& line, std::size_t from, std::size_t length,
                                   std::size_t keep)
{
    return latin1_to_utf8(line.substr(from, length).substr(0, keep));
}

// Splits one line into `fields` slots, storing each as it is cut; returns the commas found when
// one is missing, or -1.
template <std::size_t N>
int reference_split(const std::string& line, std::array<std::string, N>& slots,
                    const std::array<std::size_t, N>& keep, std::size_t last_length)
{
    std::size_t start = 0;
    for (std::size_t f = 0; f + 1 < N; ++f) {
        const std::size_t comma = line.find(',', start);
        if (comma == std::string::npos)
            return static_cast<int>(f);
        slots[f] = reference_field(line, start, comma - start, keep[f]);
        start = comma + 1;
    }
    slots[N - 1] = reference_field(line, start, last_length, keep[N - 1]);
    return -1;
}

inline ReferenceRead reference_read(const std::string& name, std::string_view bytes,
                                    const ImportBuffers& before)
{
    ReferenceRead read{before, {}};
    read.buffers.file_line_count = 0;
    std::array<std::size_t, auto_field_count> auto_keep{};
    auto_keep.fill(auto_field_keep);
    std::size_t number = 0;
    for (const std::string& line : reference_lines(bytes)) {
        ++number;
        const bool tp = read.buffers.file_line_count < tp_line_count;
        const int found =
            tp ? reference_split(line,
                                 read.buffers.file_tp_records[static_cast<std::size_t>(
                                     read.buffers.file_line_count)],
                                 tp_field_keep, 1)
               : reference_split(line, read.buffers.file_auto_rates, auto_keep, std::string::npos);
        if (found >= 0) {
            read.failure = name + ", line " + std::to_string(number) + ": expected " +
                           std::to_string(tp ? 5 : 9) + " commas, found " + std::to_string(found) +
                           (line.empty() ? " (the line is empty)" : "");
            return read;
        }
        if (tp)
            ++read.buffers.file_line_count;
    }
    return read;
}

} // namespace tervalink::fuzzing
