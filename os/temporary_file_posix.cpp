// Nameless temporary files on POSIX: made with mkstemp and unlinked at once.
#include "os/temporary_file.h"

#include <cerrno>
#include <stdexcept>
#include <unistd.h>

namespace ornavex {

TemporaryFile::TemporaryFile(const std::filesystem::path& folder) : folder_(folder) {
    std::string name = (folder / "ornavex-XXXXXX").string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw TemporaryDataError(Complaint(errno));
    ::unlink(name.c_str());
    handle_ = fd;
}

std::filesystem::path TemporaryFile::OpenPath() const {
    return "/dev/fd/" + std::to_string(handle_);
}

TemporaryFile::~TemporaryFile() {
    ::close(static_cast<int>(handle_));
}

std::uint64_t TemporaryFile::Append(const void* data, std::size_t size) {
    const std::uint64_t start = size_;
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written =
            ::pwrite(static_cast<int>(handle_), bytes, size, static_cast<off_t>(size_));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw TemporaryDataError(Complaint(written < 0 ? errno : ENOSPC));
        bytes += written;
        size -= static_cast<std::size_t>(written);
        size_ += static_cast<std::uint64_t>(written);
    }
    return start;
}

void TemporaryFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) const {
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got =
            ::pread(static_cast<int>(handle_), bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            throw TemporaryDataError(Complaint(got < 0 ? errno : EIO));
        bytes += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
}

} // namespace ornavex
