#include "path_refusals.h"

#include <windows.h>

#include <filesystem>

namespace tervalink::test {

// Not checked here, for want of a way to cause them that holds under Wine as on Windows: a
// permission refusal (Wine grants what the Linux user may), a name too long (Wine takes any
// length) and a failing read (Wine does not enforce another handle's lock on a region).
void check_system_refusals(const std::string& folder, const std::string& plain, const ImportCheck& check)
{
    const auto bad = folder + "/a?b.csv", not_utf8 = folder + "/bad-\xff.csv";
    check("NUL", "Cannot open NUL: it is not a regular file (a device, pipe or socket cannot be imported)", 3);
    check(plain + "/data.csv", "Cannot open " + plain + "/data.csv: no such file; check the name and the folder", 3);
    check(bad, "Cannot open " + bad + ": the name is not a valid Windows file name (too long, or with one of : * ? \" < > |)", 3);
    check(not_utf8, "Cannot open " + not_utf8 + ": the name is not valid UTF-8 text", 3);

    // The UTF-8 name reaches Windows as the same name, not as text of the local code page.
    const auto named = folder + "/Empfang-\xc3\xa4\xe2\x82\xac.csv";
    std::filesystem::copy_file(plain, std::u8string(named.begin(), named.end()));
    check(named, "", 3);

    // What a spreadsheet may do to a file it has open: share it with nobody.
    const HANDLE held = ::CreateFileW(std::filesystem::path(plain).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    check(plain, "Cannot open " + plain + ": another program holds the file open; close it and try again", 3);
    ::CloseHandle(held);
}

} // namespace tervalink::test
