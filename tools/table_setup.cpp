#include "table_setup.h"

namespace tervalink::frames_tool {

Expected<void> import_given_file(const TableArguments& args, DataFileReader& reader,
                                 SatelliteTable& table)
{
    if (!args.file)
        return {};
    return import_data_file(*args.file, reader, table);
}

void apply_assignments(const TableArguments& args, SatelliteTable& table)
{
    for (const Assignment& assignment : args.assignments)
        table.set_text(assignment.field, assignment.index, assignment.text);
}

std::optional<SatelliteTable> build_table(const TableArguments& args, std::ostream& err)
{
    SatelliteTable table;
    DataFileReader reader;
    if (const Expected<void> imported = import_given_file(args, reader, table); !imported) {
        err << imported.failure() << '\n';
        return std::nullopt;
    }
    apply_assignments(args, table);
    return table;
}

void select_and_tick(SatelliteTable& table, int choice, const std::vector<int>& ticks)
{
    if (choice != no_choice)
        table.set_option(choice);
    for (int index : ticks)
        table.tick(index, true);
}

} // namespace tervalink::frames_tool
