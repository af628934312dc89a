#include "os/windows_error.h"
#include "os/windows_paths.h"
#include "output/output_file.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace ornavex::output_file {
namespace {

constexpr int kMostLinks = 40;

// path with every symbolic link along its last part followed, so the file
// that the link names is written, not the link replaced.
int FollowLinks(std::filesystem::path& path) {
    for (int hops = 0; hops < kMostLinks; ++hops) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error))
            return 0;
        std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error)
            return error.value();
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return ELOOP;
}

} // namespace

// Devices (NUL, CON, a serial port) are written as they are; a regular file
// is replaced through a temporary file.
int FindDestination(const std::filesystem::path& target, Destination& destination) {
    destination = Destination{};
    destination.file = target;
    if (const int error = FollowLinks(destination.file))
        return error;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(destination.file, error);
    switch (status.type()) {
    case std::filesystem::file_type::not_found: {
        // Windows says "not found" for a path through a file; say what it is.
        const std::filesystem::path parent = destination.file.parent_path();
        return !parent.empty() && parent != destination.file &&
                       std::filesystem::is_regular_file(parent, error)
                   ? ENOTDIR
                   : 0;
    }
    case std::filesystem::file_type::regular:
        destination.exists = true;
        return 0;
    case std::filesystem::file_type::directory:
        return EISDIR;
    case std::filesystem::file_type::none:
        return error.value() != 0 ? error.value() : EIO;
    default:
        break;
    }
    destination.exists = true;
    destination.kind = Destination::Kind::kStream;
    destination.stream =
        _wopen(LongPath(destination.file).c_str(), _O_WRONLY | _O_BINARY | _O_NOINHERIT);
    return destination.stream >= 0 ? 0 : errno;
}

int CreateExclusive(const std::filesystem::path& path, const Destination&) {
    return _wopen(LongPath(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                  _S_IREAD | _S_IWRITE);
}

// ReplaceFileW gives the new file the attributes and security of the one it
// replaces, so there is nothing to take over here.
void TakeOverModeAndOwner(int, const Destination&) {}

long long WriteSome(int fd, const char* data, std::size_t size) {
    constexpr std::size_t kMostAtOnce = 1u << 30;
    return _write(fd, data, static_cast<unsigned>(size < kMostAtOnce ? size : kMostAtOnce));
}

bool FlushToDisk(int fd) {
    return _commit(fd) == 0 || errno == EBADF; // devices have nothing to flush
}

void CloseFile(int fd) {
    _close(fd);
}

int Replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    // Whole paths: Wine's ReplaceFileW fails on relative ones.
    std::error_code ignored;
    const std::wstring source = LongPath(std::filesystem::absolute(from, ignored));
    const std::wstring target = LongPath(std::filesystem::absolute(to, ignored));
    if (ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr))
        return 0;
    const DWORD error = GetLastError();
    // The file to replace is gone (or never was): a plain move does.
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_UNABLE_TO_REMOVE_REPLACED)
        return ErrnoFromWindows(error);
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : ErrnoFromWindows(GetLastError());
}

int MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when to exists.
    return MoveFileExW(LongPath(from).c_str(), LongPath(to).c_str(), MOVEFILE_WRITE_THROUGH)
               ? 0
               : ErrnoFromWindows(GetLastError());
}

// MOVEFILE_WRITE_THROUGH already waited for the new name to reach the disk.
void FlushFolder(const std::filesystem::path&) {}

std::size_t LongestName() {
    return 255; // UTF-16 units, as NTFS counts them
}

} // namespace ornavex::output_file
