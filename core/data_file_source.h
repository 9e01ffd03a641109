#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace tervalink {

// A data file opened for reading with the system's own calls, closed when the object goes. Only
// regular files are accepted: a device or a pipe could block the window forever. The path is
// UTF-8 text.
class DataFileSource {
public:
    // Throws Failure "Cannot open <path>: <reason>".
    explicit DataFileSource(const std::string& path);
    ~DataFileSource();
    DataFileSource(const DataFileSource&) = delete;
    DataFileSource& operator=(const DataFileSource&) = delete;

    // Up to `capacity` bytes into `buffer`; 0 at the end of the file. Throws Failure
    // "Cannot read <path> at line <line>: <reason>".
    std::size_t read(char* buffer, std::size_t capacity, std::uint64_t line);

private:
    std::string path_;
    struct Handle; // the system's own: closes the file when it goes
    std::unique_ptr<Handle> handle_;
};

} // namespace tervalink
