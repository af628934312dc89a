#include "results/safe_file_writer.h"

#include "run/system_reason.h"

#include <cerrno>
#include <random>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ornavex {
namespace {

std::filesystem::path TemporaryNameFor(const std::filesystem::path& target) {
    static std::mt19937_64 random{std::random_device{}()};
    std::filesystem::path name = target;
    name += ".ornavex-" + std::to_string(random() % 1000000000ULL) + ".tmp";
    return name;
}

#ifdef _WIN32
int CreateExclusive(const std::filesystem::path& path) {
    return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
long long WriteSome(int fd, const char* data, std::size_t size) {
    return _write(fd, data, static_cast<unsigned>(size > (1u << 30) ? (1u << 30) : size));
}
bool FlushToDisk(int fd) {
    return _commit(fd) == 0;
}
void CloseFile(int fd) {
    _close(fd);
}
bool MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to, int& error) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    error = GetLastError() == ERROR_ALREADY_EXISTS || GetLastError() == ERROR_FILE_EXISTS ? EEXIST
                                                                                          : EACCES;
    return false;
}
#else
int CreateExclusive(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long long WriteSome(int fd, const char* data, std::size_t size) {
    long long written;
    do {
        written = ::write(fd, data, size);
    } while (written < 0 && errno == EINTR);
    return written;
}
bool FlushToDisk(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL; // EINVAL: special files cannot sync
}
void CloseFile(int fd) {
    ::close(fd);
}
bool MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to, int& error) {
    // A hard link fails when the target exists, so no file is ever replaced.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    error = errno;
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP)
        return false;
    // File systems without hard links: check, then rename.
    struct stat info;
    if (::lstat(to.c_str(), &info) == 0) {
        error = EEXIST;
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    error = errno;
    return false;
}
#endif

} // namespace

SafeFileWriter::SafeFileWriter(std::filesystem::path target) : target_(std::move(target)) {}

SafeFileWriter::~SafeFileWriter() {
    Discard();
}

bool SafeFileWriter::Fail(std::string reason) {
    error_ = std::move(reason);
    Discard();
    return false;
}

void SafeFileWriter::Discard() {
    if (fd_ >= 0) {
        CloseFile(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
}

bool SafeFileWriter::Open() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = TemporaryNameFor(target_);
        fd_ = CreateExclusive(candidate);
        if (fd_ >= 0) {
            temporary_ = std::move(candidate);
            return true;
        }
        if (errno != EEXIST)
            return Fail(SystemReason(errno));
    }
    return Fail(SystemReason(EEXIST));
}

bool SafeFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0)
        return error_.empty() ? Fail("File is not open") : false;
    while (!bytes.empty()) {
        const long long written = WriteSome(fd_, bytes.data(), bytes.size());
        if (written <= 0)
            return Fail(SystemReason(written < 0 ? errno : ENOSPC));
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool SafeFileWriter::Commit(Replace replace) {
    if (fd_ < 0)
        return error_.empty() ? Fail("File is not open") : false;
    if (!FlushToDisk(fd_))
        return Fail(SystemReason(errno));
    CloseFile(fd_);
    fd_ = -1;

    if (replace == Replace::kExisting) {
        std::error_code error;
        std::filesystem::rename(temporary_, target_, error);
        if (error)
            return Fail(error.message());
    } else {
        int error = 0;
        if (!MoveNoReplace(temporary_, target_, error))
            return Fail(SystemReason(error));
    }
    temporary_.clear();
    return true;
}

} // namespace ornavex
