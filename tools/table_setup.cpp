#include "table_setup.h"

namespace tervalink::frames_tool {

void import_given_file(const TableArguments& args, ImportBuffers& buffers, SatelliteTable& table)
{
    if (args.file)
        import_data_file(*args.file, buffers, table);
}

void apply_assignments(const TableArguments& args, SatelliteTable& table)
{
    for (const Assignment& assignment : args.assignments)
        table.set_text(assignment.field, assignment.index, assignment.text);
}

} // namespace tervalink::frames_tool
