#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "expected.h"

namespace tervalink {

// A data file opened for reading with the system's own calls, closed when the object goes. Only
// regular files are accepted: a device or a pipe could block the window forever. The path is
// UTF-8 text. Its failures are results, as the reader's are: the reader runs where there are no
// exceptions.
class DataFileSource {
public:
    // Fails "Cannot open <path>: <reason>".
    static Expected<DataFileSource> open(const std::string& path);
    ~DataFileSource();
    DataFileSource(DataFileSource&&) noexcept;

    // Up to `capacity` bytes into `buffer`; 0 at the end of the file. Fails
    // "Cannot read <path> at line <line>: <reason>".
    Expected<std::size_t> read(char* buffer, std::size_t capacity, std::uint64_t line);

private:
    struct Handle; // the system's own: closes the file when it goes
    DataFileSource(std::string path, std::unique_ptr<Handle> handle);

    std::string path_;
    std::unique_ptr<Handle> handle_;
};

} // namespace tervalink
