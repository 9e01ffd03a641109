#include "check.h"

#include <ostream>

#include "check_data.h"
#include "exit_codes.h"
#include "failure.h"
#include "table_setup.h"

namespace tervalink::frames_tool {

int run_check(const TableArguments& args, std::ostream& out, std::ostream& err)
{
    std::optional<SatelliteTable> table = build_table(args, err);
    if (!table)
        return exit_input_unreadable;
    const CheckDataResult result = check_data(*table);
    for (const std::string& line : result.lines)
        out << line << '\n';
    if (!result.failure)
        return exit_done;
    out.flush();
    err << *result.failure << '\n';
    return exit_failure;
}

} // namespace tervalink::frames_tool
