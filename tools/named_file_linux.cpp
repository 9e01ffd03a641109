#include "named_file.h"

#include <cerrno>
#include <cstring>

namespace tervalink::frames_tool {

FileHandle open_named_file(const std::string& path, FileUse use, std::string& failure)
{
    FileHandle file(std::fopen(path.c_str(), use == FileUse::read_bytes ? "rb" : "w"), std::fclose);
    if (!file)
        failure = std::strerror(errno);
    return file;
}

} // namespace tervalink::frames_tool
