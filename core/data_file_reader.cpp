#include "data_file_reader.h"

#include "data_file_scan.h"
#include "data_file_source.h"
#include "text.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <utility>

namespace tervalink {
namespace {

template <std::size_t N>
std::string_view as_text(const std::array<char, N>& bytes, std::size_t size)
{
    return {bytes.data(), size};
}

// Large enough that the system calls cost nothing beside the splitting, small enough to keep
// the import's memory flat.
constexpr std::size_t read_chunk_size = 256 * 1024;

// The fast path takes a line whose break lies within 64 bytes, and copies fields 8 bytes at a
// time; it needs this many readable bytes.
constexpr std::ptrdiff_t whole_line_window = 64 + 8;

} // namespace

Expected<void> DataFileReader::read(const std::string& path)
{
    Expected<DataFileSource> source = DataFileSource::open(path);
    if (!source)
        return source.failed();
    start(path);
    const auto chunk = std::make_unique_for_overwrite<char[]>(read_chunk_size);
    for (;;) {
        const Expected<std::size_t> count =
            source->read(chunk.get(), read_chunk_size, line_number_);
        if (!count) {
            store_auto_fields();
            return count.failed();
        }
        if (*count == 0)
            break;
        if (Expected<void> fed = feed({chunk.get(), *count}); !fed)
            return fed;
    }
    return finish();
}

void DataFileReader::start(std::string file_name)
{
    file_name_ = std::move(file_name);
    buffers_.file_line_count = 0;
    line_number_ = 1;
    after_cr_ = false;
    auto_fields_stored_ = 0;
    start_line();
}

Expected<void> DataFileReader::feed(std::string_view bytes)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    if (p == end)
        return {};
    if (std::exchange(after_cr_, false) && *p == '\n')
        ++p;
    while (p != end) {
        if (!tp_line_ && commas_ == 0 && !line_has_bytes_)
            p = feed_whole_auto_lines(p, end);
        if (p == end)
            return {};
        if (commas_ == commas_needed())
            p = feed_rest_of_line(p, end);
        else
            p = feed_fields(p, end);
        if (p == nullptr)
            return missing_commas();
    }
    return {};
}

// The bulk of a large file: short, complete auto lines with all their commas. Anything else
// (a line that is long, cut by the end of the buffer, or short of commas) goes the general way.
const char* DataFileReader::feed_whole_auto_lines(const char* p, const char* end)
{
    while (end - p >= whole_line_window) {
        const std::uint64_t breaks = stop_mask64<'\r', '\n'>(p);
        if (breaks == 0)
            return p;
        const int length = std::countr_zero(breaks);
        std::uint64_t commas = stop_mask64<','>(p) & ((std::uint64_t{1} << length) - 1);
        if (std::popcount(commas) < auto_field_count - 1)
            return p;
        const char* field = p;
        for (int k = 0; k < auto_field_count - 1; ++k, commas &= commas - 1) {
            const char* comma = p + std::countr_zero(commas);
            store_auto_field(k, field, comma);
            field = comma + 1;
        }
        const char* line_break = p + length;
        store_auto_field(auto_field_count - 1, field, line_break);
        auto_fields_stored_ = static_cast<std::uint16_t>((1u << auto_field_count) - 1);
        ++line_number_;
        p = line_break + (line_break[0] == '\r' && line_break[1] == '\n' ? 2 : 1);
    }
    return p;
}

void DataFileReader::store_auto_field(int field, const char* from, const char* to)
{
    auto& stored = auto_fields_[static_cast<std::size_t>(field)];
    std::memcpy(stored.bytes.data(), from, field_bytes_capacity);
    stored.size = static_cast<std::uint8_t>(
        std::min<std::size_t>(auto_field_keep, static_cast<std::size_t>(to - from)));
}

Expected<void> DataFileReader::finish()
{
    if (line_has_bytes_ && !end_line())
        return missing_commas();
    store_auto_fields();
    return {};
}

// Before the last comma of a line: every comma cuts a field.
const char* DataFileReader::feed_fields(const char* p, const char* end)
{
    while (p != end) {
        const char* stop = find_first_of<',', '\r', '\n'>(p, end);
        keep(p, stop);
        if (stop == end)
            return end;
        if (*stop != ',')
            return on_line_break(stop, end);
        line_has_bytes_ = true;
        cut_field();
        p = stop + 1;
        if (commas_ == commas_needed())
            return p;
    }
    return p;
}

// After the last comma: the last field is the rest of the line, commas included.
const char* DataFileReader::feed_rest_of_line(const char* p, const char* end)
{
    const char* stop = find_first_of<'\r', '\n'>(p, end);
    keep(p, stop);
    return stop == end ? end : on_line_break(stop, end);
}

const char* DataFileReader::on_line_break(const char* at, const char* end)
{
    if (!end_line())
        return nullptr;
    const char* next = at + 1;
    if (*at == '\r') {
        if (next == end)
            after_cr_ = true;
        else if (*next == '\n')
            ++next;
    }
    return next;
}

void DataFileReader::keep(const char* from, const char* to)
{
    if (from == to)
        return;
    line_has_bytes_ = true;
    const auto room = keep_limit_ - field_.size;
    const auto count = std::min<std::size_t>(room, static_cast<std::size_t>(to - from));
    std::memcpy(field_.bytes.data() + field_.size, from, count);
    field_.size = static_cast<std::uint8_t>(field_.size + count);
}

void DataFileReader::cut_field()
{
    store_field(commas_);
    ++commas_;
    field_.size = 0;
    keep_limit_ = keep_limit(commas_);
}

void DataFileReader::store_field(int field)
{
    if (tp_line_) {
        store_tp_field(field);
    } else {
        auto_fields_[static_cast<std::size_t>(field)] = field_;
        auto_fields_stored_ = static_cast<std::uint16_t>(auto_fields_stored_ | (1u << field));
    }
}

bool DataFileReader::end_line()
{
    if (commas_ < commas_needed())
        return false;
    store_field(commas_);
    if (tp_line_)
        ++buffers_.file_line_count;
    ++line_number_;
    start_line();
    return true;
}

void DataFileReader::start_line()
{
    tp_line_ = buffers_.file_line_count < tp_line_count;
    line_has_bytes_ = false;
    commas_ = 0;
    field_.size = 0;
    keep_limit_ = keep_limit(0);
}

std::size_t DataFileReader::keep_limit(int field) const
{
    return tp_line_ ? tp_field_keep[static_cast<std::size_t>(field)] : auto_field_keep;
}

void DataFileReader::store_tp_field(int field)
{
    auto& record = buffers_.file_tp_records[static_cast<std::size_t>(buffers_.file_line_count)];
    record[static_cast<std::size_t>(field)] = latin1_to_utf8(as_text(field_.bytes, field_.size));
}

void DataFileReader::store_auto_fields()
{
    for (std::size_t k = 0; k < auto_fields_.size(); ++k)
        if ((auto_fields_stored_ >> k) & 1u)
            buffers_.file_auto_rates[k] =
                latin1_to_utf8(as_text(auto_fields_[k].bytes, auto_fields_[k].size));
    auto_fields_stored_ = 0;
}

// The line that ends the read: the auto fields stored so far reach the buffers, as at the end.
Failed DataFileReader::missing_commas()
{
    store_auto_fields();
    std::string description = file_name_ + ", line " + std::to_string(line_number_) +
                              ": expected " + std::to_string(commas_needed()) + " commas, found " +
                              std::to_string(commas_);
    if (!line_has_bytes_)
        description += " (the line is empty)";
    return Failed{std::move(description)};
}

} // namespace tervalink
