#include "table_setup.h"

#include "failure.h"

namespace tervalink::frames_tool {

void import_given_file(const TableArguments& args, DataFileReader& reader, SatelliteTable& table)
{
    if (args.file)
        import_data_file(*args.file, reader, table);
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
    try {
        import_given_file(args, reader, table);
    } catch (const Failure& failure) {
        err << failure.what() << '\n';
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
