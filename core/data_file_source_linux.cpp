#include "data_file_source.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervalink {
namespace {

// The reason of a failed file operation in words a user can act on.
std::string describe_file_error(int error_number)
{
    switch (error_number) {
    case ENOENT:
        return "no such file; check the name and the folder";
    case EACCES:
    case EPERM:
        return "permission denied; the file must be readable by your user";
    case EISDIR:
        return "it is a directory, not a data file";
    case ENOTDIR:
        return "a part of the path is not a directory";
    case ENAMETOOLONG:
        return "the path is too long";
    case ELOOP:
        return "too many levels of symbolic links";
    case EMFILE:
    case ENFILE:
        return "too many files are open; close some programs and try again";
    case EIO:
        return "input/output error; the disk or medium may be damaged";
    default:
        return std::strerror(error_number);
    }
}

std::string refusal_of_kind(mode_t mode)
{
    if (S_ISDIR(mode))
        return describe_file_error(EISDIR);
    return "it is not a regular file (a device, pipe or socket cannot be imported)";
}

} // namespace

struct DataFileSource::Handle {
    int fd = -1;
    ~Handle()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

Expected<DataFileSource> DataFileSource::open(const std::string& path)
{
    const auto fail = [&path](const std::string& reason) {
        return Failed{"Cannot open " + path + ": " + reason};
    };
    auto handle = std::make_unique<Handle>(); // closes the file when a check below refuses it
    // Non-blocking so that opening a pipe cannot hang; regular files ignore the flag.
    handle->fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (handle->fd < 0)
        return fail(describe_file_error(errno));
    struct stat status {};
    if (::fstat(handle->fd, &status) != 0)
        return fail(describe_file_error(errno));
    if (!S_ISREG(status.st_mode))
        return fail(refusal_of_kind(status.st_mode));
    return DataFileSource(path, std::move(handle));
}

DataFileSource::DataFileSource(std::string path, std::unique_ptr<Handle> handle)
    : path_(std::move(path)), handle_(std::move(handle))
{
}

DataFileSource::~DataFileSource() = default;
DataFileSource::DataFileSource(DataFileSource&&) noexcept = default;

Expected<std::size_t> DataFileSource::read(char* buffer, std::size_t capacity, std::uint64_t line)
{
    for (;;) {
        const ssize_t count = ::read(handle_->fd, buffer, capacity);
        if (count >= 0)
            return static_cast<std::size_t>(count);
        if (errno != EINTR)
            return Failed{"Cannot read " + path_ + " at line " + std::to_string(line) + ": " +
                          describe_file_error(errno)};
    }
}

} // namespace tervalink
