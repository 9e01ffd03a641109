#pragma once

#include "expected.h"
#include "field_limits.h"
#include "import_buffers.h"
#include "polarisation.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace tervalink {

inline constexpr int tp_line_count = tp_row_count; // one TP line per TP row
inline constexpr int auto_field_count = auto_rate_count;

// How many bytes of each field the reader keeps: what the table's length limits let through
// (one byte is one character in a data file), and of the flag only its one character. Field 1 of
// a TP line is never used.
inline constexpr std::array<std::size_t, tp_field_count> tp_field_keep{
    8,
    field_limit(Field::position),
    field_limit(Field::nid),
    field_limit(Field::freq),
    field_limit(Field::symb),
    polarisation_flag_length};
inline constexpr std::size_t auto_field_keep = field_limit(Field::auto_rate);

// The import buffers, and the only writer of them: splits data file bytes into lines and fields
// while they arrive, in pieces of any size, and stores the fields into the buffers. Memory stays
// the same however long a line or the file is. Lines 1 to 39 are TP lines, every later line an
// auto line; CR, LF and CR LF each end a line. A line that lacks a comma fails the read, naming
// the file and line; the buffers keep every field stored before it.
class DataFileReader {
public:
    // The buffers as an earlier import left them: empty texts before the first.
    explicit DataFileReader(ImportBuffers buffers = {}) : buffers_(std::move(buffers)) {}

    // Opens the file, then reads it whole; a read error ends it as a failing line does, the
    // buffers keeping every field cut so far.
    Expected<void> read(const std::string& path);

    // A read of bytes that arrive in pieces: start, then every piece, then finish. Starting sets
    // file_line_count to 0; `file_name` is used in failure descriptions. After a failing piece
    // the read is over: nothing more may be fed until the next start.
    void start(std::string file_name);
    Expected<void> feed(std::string_view bytes);
    // The end of the file ends the last line, unless the file ended with a line break.
    Expected<void> finish();

    const ImportBuffers& buffers() const { return buffers_; }

private:
    static constexpr std::size_t field_bytes_capacity = 8;
    struct FieldBytes {
        std::array<char, field_bytes_capacity> bytes{};
        std::uint8_t size = 0;
    };

    // The feed_ and on_ steps return where the next one starts, or nullptr when the line that
    // ends there lacks a comma.
    const char* feed_whole_auto_lines(const char* p, const char* end);
    void store_auto_field(int field, const char* from, const char* to);
    const char* feed_fields(const char* p, const char* end);
    const char* feed_rest_of_line(const char* p, const char* end);
    const char* on_line_break(const char* at, const char* end);
    void keep(const char* from, const char* to);
    void cut_field();
    void store_field(int field);
    bool end_line(); // false, storing nothing, when the line lacks a comma
    void start_line();
    void store_tp_field(int field);
    void store_auto_fields();
    Failed missing_commas();

    int commas_needed() const { return tp_line_ ? tp_field_count - 1 : auto_field_count - 1; }
    std::size_t keep_limit(int field) const;

    ImportBuffers buffers_;
    std::string file_name_;
    std::uint64_t line_number_ = 1;
    bool tp_line_ = true;
    bool line_has_bytes_ = false;
    bool after_cr_ = false; // the last piece ended with CR: a leading LF belongs to it
    int commas_ = 0;
    std::size_t keep_limit_ = 0;
    FieldBytes field_;
    // The auto fields as stored so far: they reach file_auto_rates only at the end of the read or
    // on a failure, so millions of auto lines cost no string allocation.
    std::array<FieldBytes, auto_field_count> auto_fields_;
    std::uint16_t auto_fields_stored_ = 0; // bit k: auto field k was stored by this read
};

} // namespace tervalink
