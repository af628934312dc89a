#include "os/file_access.h"
#include "os/system_reason.h"
#include "os/windows_error.h"
#include "os/windows_paths.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace ornavex {
namespace {

// What an open handle is. The volume's serial number and the file's index
// tell one file from another, as device and inode do elsewhere.
int StatusOf(HANDLE handle, FileStatus& status) {
    status = FileStatus{};
    const DWORD type = GetFileType(handle);
    if (type != FILE_TYPE_DISK)
        return type == FILE_TYPE_UNKNOWN && GetLastError() != NO_ERROR
                   ? ErrnoFromWindows(GetLastError())
                   : 0; // a console, a pipe or a device: kOther
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return ErrnoFromWindows(GetLastError());
    status.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FileStatus::Kind::kDirectory
                                                                     : FileStatus::Kind::kRegular;
    status.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    status.device = info.dwVolumeSerialNumber;
    status.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return 0;
}

} // namespace

int StatPath(const std::filesystem::path& path, FileStatus& status) {
    // No access asked: only the attributes are read, so a file that is open
    // elsewhere, or a folder (backup semantics), is looked at too.
    const HANDLE handle = CreateFileW(LongPath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ErrnoFromWindows(GetLastError());
    const int error = StatusOf(handle, status);
    CloseHandle(handle);
    return error;
}

int StatDescriptor(int fd, FileStatus& status) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE)
        return EBADF;
    return StatusOf(handle, status);
}

std::FILE* OpenFileStream(const std::filesystem::path& path) {
    return _wfopen(LongPath(path).c_str(), L"rbN");
}

std::int64_t SeekFileStream(std::FILE* stream, std::int64_t offset, int whence) {
    if (::_fseeki64(stream, offset, whence) != 0)
        return -1;
    return ::_ftelli64(stream);
}

std::FILE* OpenNewFileStream(const std::filesystem::path& path) {
    const int fd =
        _wopen(LongPath(path).c_str(), _O_RDWR | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
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
    fd = _wopen(LongPath(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    return fd < 0 ? errno : 0;
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
