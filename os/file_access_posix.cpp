#include "os/file_access.h"
#include "os/posix_path_anchor.h"
#include "os/system_reason.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ornavex {
namespace {

FileStatus StatusOf(const struct stat& info) {
    FileStatus status;
    status.kind = S_ISREG(info.st_mode)   ? FileStatus::Kind::kRegular
                  : S_ISDIR(info.st_mode) ? FileStatus::Kind::kDirectory
                                          : FileStatus::Kind::kOther;
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.device = static_cast<std::uint64_t>(info.st_dev);
    status.inode = static_cast<std::uint64_t>(info.st_ino);
    return status;
}

} // namespace

int StatPath(const std::filesystem::path& path, FileStatus& status) {
    int error = 0;
    const PathAnchor anchor(path.native(), error);
    if (error != 0)
        return error;
    struct stat info;
    if (::fstatat(anchor.folder(), anchor.rest(), &info, 0) != 0)
        return errno;
    status = StatusOf(info);
    return 0;
}

std::FILE* OpenFileStream(const std::filesystem::path& path) {
    int error = 0;
    const PathAnchor anchor(path.native(), error);
    const int fd = error != 0 ? -1 : ::openat(anchor.folder(), anchor.rest(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        errno = error != 0 ? error : errno;
        return nullptr;
    }
    std::FILE* stream = ::fdopen(fd, "rb");
    if (stream == nullptr)
        ::close(fd);
    return stream;
}

std::int64_t SeekFileStream(std::FILE* stream, std::int64_t offset, int whence) {
    if (::fseeko(stream, static_cast<off_t>(offset), whence) != 0)
        return -1;
    return ::ftello(stream);
}

std::FILE* OpenNewFileStream(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    std::FILE* stream = ::fdopen(fd, "w+b");
    if (stream == nullptr)
        ::close(fd);
    return stream;
}

int StatStandardInput(FileStatus& status) {
    return StatDescriptor(STDIN_FILENO, status);
}

void InputFile::CloseDescriptor(int fd) {
    ::close(fd);
}

int InputFile::OpenDescriptor(const std::filesystem::path& path, int& fd) {
    int error = 0;
    const PathAnchor anchor(path.native(), error);
    if (error != 0)
        return error;
    // O_NONBLOCK keeps the open of a FIFO swapped in meanwhile from waiting
    // for a writer; for a regular file it changes nothing.
    fd = ::openat(anchor.folder(), anchor.rest(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    return fd < 0 ? errno : 0;
}

int StatDescriptor(int fd, FileStatus& status) {
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return errno;
    status = StatusOf(info);
    return 0;
}

InputFile InputFile::StandardInput() {
    return InputFile(STDIN_FILENO, false, 0);
}

long long InputFile::Read(char* buffer, std::size_t size, std::string& error) {
    long long got;
    do {
        got = ::read(fd_, buffer, size);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        error = SystemReason(errno);
    return got;
}

long long InputFile::ReadAt(char* buffer, std::size_t size, std::uint64_t offset,
                            std::string& error) {
    long long got;
    do {
        got = ::pread(fd_, buffer, size, static_cast<off_t>(offset));
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        error = SystemReason(errno);
    return got;
}

} // namespace ornavex
