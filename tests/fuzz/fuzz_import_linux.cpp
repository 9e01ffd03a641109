// Arbitrary bytes as a data file. The import must not crash; read in small pieces it must fill the
// buffers and fail exactly as read whole; a failed import leaves the table untouched, and a good
// one copies the buffers into the table within the table's limits.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

#include "data_file.h"
#include "data_file_lines.h"
#include "satellite_table.h"
#include "text.h"

namespace tervalink::fuzzing {
namespace {

void require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "fuzz_import: property broken: %s\n", property);
    std::abort();
}

// The input as a regular file that import_data_file can open by name, without touching the disk.
const std::string& file_holding(std::string_view bytes)
{
    static const int fd = ::memfd_create("tervalink-fuzz", MFD_CLOEXEC);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    require(fd >= 0 && ::ftruncate(fd, 0) == 0, "memory file usable");
    require(::pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()),
            "memory file written");
    return path;
}

// Buffers as an earlier import left them, so that overwriting is visible.
ImportBuffers earlier_buffers()
{
    ImportBuffers buffers;
    for (auto& record : buffers.file_tp_records)
        record = {"e0", "e1", "e2", "e3", "e4", "1"};
    buffers.file_auto_rates.fill("e9");
    buffers.file_line_count = 39;
    return buffers;
}

bool same_buffers(const ImportBuffers& a, const ImportBuffers& b)
{
    return a.file_tp_records == b.file_tp_records && a.file_auto_rates == b.file_auto_rates &&
           a.file_line_count == b.file_line_count;
}

void check_applied(const SatelliteTable& table, const ImportBuffers& buffers)
{
    for (int i = 0; i < tp_row_count; ++i) {
        const auto& record = buffers.file_tp_records[static_cast<std::size_t>(i)];
        if (i < slot_count)
            require(table.position(i) == limit_characters(record[1], 4), "position copied");
        require(table.nid(i) == limit_characters(record[2], 5), "NID copied");
        require(table.freq(i) == limit_characters(record[3], 5), "FREQ copied");
        require(table.symb(i) == limit_characters(record[4], 5), "SYMB copied");
        require(table.pol(i) == (record[5] == "1" ? "H" : "V"), "POL is H or V");
        require(table.ticked(i) == (i == 4), "ticks untouched");
        require(!table.caption_emphasis(i), "row emphasis cleared");
    }
    for (int k = 0; k < auto_rate_count; ++k)
        require(character_count(table.auto_rate(k)) <= 5, "auto value within its limit");
    require(table.selected_choice() == no_choice, "selection cleared");
}

} // namespace
} // namespace tervalink::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tervalink;
    using namespace tervalink::fuzzing;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string& path = file_holding(bytes);
    DataFileReader reader(earlier_buffers());
    SatelliteTable table;
    table.set_option(4);
    table.tick(4, true);
    const SatelliteTable before = table;
    const std::string failure = test::failure_of(import_data_file(path, reader, table));
    if (failure.empty())
        check_applied(table, reader.buffers());
    else
        require(table == before, "table untouched by a failed import");

    ImportBuffers pieces = earlier_buffers();
    const std::size_t piece = bytes.empty() ? 1 : 1 + static_cast<unsigned char>(bytes[0]) % 7;
    require(test::read(pieces, bytes, piece, path) == failure, "pieces fail as the whole does");
    require(same_buffers(pieces, reader.buffers()), "pieces fill the buffers alike");
    return 0;
}
