#include "named_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "wide_text_windows.h"

namespace tervalink::frames_tool {

FileHandle open_named_file(const std::string& path, FileUse use, std::string& failure)
{
    _doserrno = 0;
    FileHandle file(::_wfopen(utf16_of(path).c_str(), use == FileUse::read_bytes ? L"rb" : L"w"),
                    std::fclose);
    // The C runtime keeps Windows' own code of a failed open; its errno texts are English only.
    if (!file)
        failure = _doserrno != 0 ? system_text_of(static_cast<DWORD>(_doserrno))
                                 : std::strerror(errno);
    return file;
}

} // namespace tervalink::frames_tool
