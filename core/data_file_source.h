#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tervalink {

// A data file opened for reading with plain POSIX calls, closed when the object goes. Only
// regular files are accepted: a device or a pipe could block the window forever.
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
    int fd_ = -1;
};

// The reason of a failed file operation in words a user can act on.
std::string describe_file_error(int error_number);

} // namespace tervalink
