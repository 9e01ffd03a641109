#include "data_file_source.h"

#include "wide_text_windows.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <limits>

namespace tervalink {
namespace {

// Windows has no code for "this name is a directory": opening one succeeds (with backup
// semantics) and is refused after a look at its attributes, under this code of our own.
constexpr DWORD not_a_file = std::numeric_limits<DWORD>::max();

// The reason of a failed file operation in words a user can act on.
std::string describe_file_error(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "no such file; check the name and the folder";
    case ERROR_INVALID_DRIVE:
        return "no such drive; check the drive letter";
    case ERROR_ACCESS_DENIED:
        return "permission denied; the file must be readable by your user";
    case ERROR_SHARING_VIOLATION:
        return "another program holds the file open; close it and try again";
    case ERROR_LOCK_VIOLATION:
        return "another program has locked the file; close it and try again";
    case not_a_file:
        return "it is a directory, not a data file";
    case ERROR_DIRECTORY:
        return "a part of the path is not a directory";
    case ERROR_FILENAME_EXCED_RANGE:
        return "the path is too long";
    case ERROR_INVALID_NAME:
        return "the name is not a valid Windows file name (too long, or with one of : * ? \" < > |)";
    case ERROR_NO_UNICODE_TRANSLATION:
        return "the name is not valid UTF-8 text";
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
        return "the network share cannot be reached; check its name and the network";
    case ERROR_NOT_READY:
        return "the drive is not ready; insert the medium or check the drive";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "too many files are open; close some programs and try again";
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_IO_DEVICE:
        return "input/output error; the disk or medium may be damaged";
    default:
        return system_text_of(code);
    }
}

} // namespace

struct DataFileSource::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;
    ~Handle()
    {
        if (file != INVALID_HANDLE_VALUE)
            ::CloseHandle(file);
    }
};

Expected<DataFileSource> DataFileSource::open(const std::string& path)
{
    const auto fail = [&path](const std::string& reason) {
        return Failed{"Cannot open " + path + ": " + reason};
    };
    // A name that is not UTF-8 would open another file, or none.
    const std::optional<std::wstring> wide_path = exact_utf16_of(path);
    if (!wide_path)
        return fail(describe_file_error(::GetLastError()));
    // Shared for reading, writing and deleting like a file on Linux, so a file another program
    // merely has open can still be imported. Backup semantics open a directory too, which is then
    // refused in words instead of "access denied".
    auto handle = std::make_unique<Handle>(); // closes the file when a check below refuses it
    const HANDLE file =
        ::CreateFileW(wide_path->c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                      FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return fail(describe_file_error(::GetLastError()));
    handle->file = file;
    // NUL, CON, COM ports and pipes are not disk files; reading one could wait forever.
    if (::GetFileType(file) != FILE_TYPE_DISK)
        return fail("it is not a regular file (a device, pipe or socket cannot be imported)");
    BY_HANDLE_FILE_INFORMATION information{};
    const DWORD refusal = !::GetFileInformationByHandle(file, &information) ? ::GetLastError()
                          : (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? not_a_file
                                                                                       : ERROR_SUCCESS;
    if (refusal != ERROR_SUCCESS)
        return fail(describe_file_error(refusal));
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
    const auto wanted =
        static_cast<DWORD>(std::min<std::size_t>(capacity, std::numeric_limits<DWORD>::max()));
    DWORD count = 0;
    if (::ReadFile(handle_->file, buffer, wanted, &count, nullptr))
        return count;
    const DWORD code = ::GetLastError();
    if (code == ERROR_HANDLE_EOF)
        return 0;
    return Failed{"Cannot read " + path_ + " at line " + std::to_string(line) + ": " +
                  describe_file_error(code)};
}

} // namespace tervalink
