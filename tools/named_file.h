#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace tervalink::frames_tool {

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

enum class FileUse {
    read_bytes, // a capture for decode
    write_text, // the frames log of send
};

// A file named on the command line (UTF-8), opened as the system spells names: the bytes as
// typed on Linux, UTF-16 on Windows, where the C runtime's fopen would read the name in the ANSI
// code page. When it cannot be opened the handle is empty and `failure` says why, in the
// system's own words.
FileHandle open_named_file(const std::string& path, FileUse use, std::string& failure);

} // namespace tervalink::frames_tool
