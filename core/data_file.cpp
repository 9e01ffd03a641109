#include "data_file.h"

#include "data_file_reader.h"
#include "data_file_source.h"
#include "failure.h"
#include "polarisation.h"
#include "satellite_table.h"

#include <memory>

namespace tervalink {
namespace {

// Large enough that the system calls cost nothing beside the splitting, small enough to keep
// the import's memory flat.
constexpr std::size_t read_chunk_size = 256 * 1024;

// A read error ends the import like a failing line: the buffers keep every field cut so far.
std::size_t read_next(DataFileSource& source, DataFileReader& reader, char* chunk)
{
    try {
        return source.read(chunk, read_chunk_size, reader.line_number());
    } catch (const Failure&) {
        reader.store_pending_fields();
        throw;
    }
}

void read_data_file(const std::string& path, ImportBuffers& buffers)
{
    DataFileSource source(path);
    DataFileReader reader(path, buffers);
    const auto chunk = std::make_unique_for_overwrite<char[]>(read_chunk_size);
    while (const auto count = read_next(source, reader, chunk.get()))
        reader.feed({chunk.get(), count});
    reader.finish();
}

} // namespace

void import_data_file(const std::string& path, ImportBuffers& buffers, SatelliteTable& table)
{
    read_data_file(path, buffers);
    apply_import(buffers, table);
}

void apply_import(const ImportBuffers& buffers, SatelliteTable& table)
{
    for (int i = 0; i < tp_row_count; ++i) {
        const auto& record = buffers.file_tp_records[static_cast<std::size_t>(i)];
        if (i < slot_count)
            table.set_text(Field::position, i, record[1]);
        table.set_text(Field::nid, i, record[2]);
        table.set_text(Field::freq, i, record[3]);
        table.set_text(Field::symb, i, record[4]);
        table.set_text(Field::pol, i, imported_polarisation(record[5]));
    }
    for (int k = 0; k < auto_rate_count; ++k)
        table.set_text(Field::auto_rate, k, buffers.file_auto_rates[static_cast<std::size_t>(k)]);
    table.clear_selection();
}

} // namespace tervalink
