#include "os/file_access.h"
#include "os/system_reason.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace ornavex {
namespace {

FileStatus StatusOf(const struct _stat64& info) {
    FileStatus status;
    status.kind = (info.st_mode & _S_IFREG)   ? FileStatus::Kind::kRegular
                  : (info.st_mode & _S_IFDIR) ? FileStatus::Kind::kDirectory
                                              : FileStatus::Kind::kOther;
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.device = static_cast<std::uint64_t>(info.st_dev);
    status.inode = static_cast<std::uint64_t>(info.st_ino);
    return status;
}

} // namespace

int StatPath(const std::filesystem::path& path, FileStatus& status) {
    struct _stat64 info;
    if (_wstat64(path.c_str(), &info) != 0)
        return errno;
    status = StatusOf(info);
    return 0;
}

std::FILE* OpenFileStream(const std::filesystem::path& path) {
    return _wfopen(path.c_str(), L"rbN");
}

std::int64_t SeekFileStream(std::FILE* stream, std::int64_t offset, int whence) {
    if (::_fseeki64(stream, offset, whence) != 0)
        return -1;
    return ::_ftelli64(stream);
}

std::FILE* OpenNewFileStream(const std::filesystem::path& path) {
    const int fd = _wopen(path.c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* stream = _fdopen(fd, "w+b");
    if (stream == nullptr)
        _close(fd);
    return stream;
}

int StatStandardInput(FileStatus& status) {
    return StatDescriptor(0, status);
}

void InputFile::CloseDescriptor(int fd) {
    _close(fd);
}

int InputFile::OpenDescriptor(const std::filesystem::path& path, int& fd) {
    fd = _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    return fd < 0 ? errno : 0;
}

int StatDescriptor(int fd, FileStatus& status) {
    struct _stat64 info;
    if (_fstat64(fd, &info) != 0)
        return errno;
    status = StatusOf(info);
    return 0;
}

InputFile InputFile::StandardInput() {
    _setmode(0, _O_BINARY);
    return InputFile(0, false, 0);
}

long long InputFile::Read(char* buffer, std::size_t size, std::string& error) {
    constexpr std::size_t kMostAtOnce = 1u << 30;
    const int got =
        _read(fd_, buffer, static_cast<unsigned>(size < kMostAtOnce ? size : kMostAtOnce));
    if (got < 0)
        error = SystemReason(errno);
    return got;
}

long long InputFile::ReadAt(char* buffer, std::size_t size, std::uint64_t offset,
                            std::string& error) {
    const long long here = _telli64(fd_);
    if (here < 0 || _lseeki64(fd_, static_cast<long long>(offset), SEEK_SET) < 0) {
        error = SystemReason(errno);
        return -1;
    }
    const long long got = Read(buffer, size, error);
    _lseeki64(fd_, here, SEEK_SET);
    return got;
}

} // namespace ornavex
