#include "data_file.h"

#include "polarisation.h"
#include "satellite_table.h"

namespace tervalink {

Expected<void> import_data_file(const std::string& path, DataFileReader& reader,
                                SatelliteTable& table)
{
    if (Expected<void> read = reader.read(path); !read)
        return read;
    apply_import(reader.buffers(), table);
    return {};
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
