#include "path_refusals.h"

#include <filesystem>

#include <unistd.h>

namespace tervalink::test {

void check_system_refusals(const std::string& folder, const std::string& plain, const ImportCheck& check)
{
    const auto too_long = folder + "/" + std::string(300, 'n');
    check("/dev/null", "Cannot open /dev/null: it is not a regular file (a device, pipe or socket cannot be imported)", 3);
    check(plain + "/data.csv", "Cannot open " + plain + "/data.csv: a part of the path is not a directory", 3);
    check(too_long, "Cannot open " + too_long + ": the path is too long", 3);
    // A regular file whose first read fails: the process's own memory at address 0.
    check("/proc/self/mem", "Cannot read /proc/self/mem at line 1: input/output error; the disk or medium may be damaged", 0);
    std::filesystem::permissions(plain, std::filesystem::perms::none); // root reads every file
    if (::geteuid() == 0)
        check(plain, "", 3);
    else
        check(plain, "Cannot open " + plain + ": permission denied; the file must be readable by your user", 0);
}

} // namespace tervalink::test
