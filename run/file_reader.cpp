#include "run/file_reader.h"

#include "run/system_reason.h"

#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ornavex {
namespace {

#ifdef _WIN32
using Descriptor = int;
constexpr Descriptor kStandardInput = 0;

Descriptor OpenReadOnly(const std::filesystem::path& path) {
    return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
}
bool IsRegularFile(Descriptor fd, int& error, std::uint64_t& size) {
    struct _stat64 info;
    if (_fstat64(fd, &info) != 0) {
        error = errno;
        return false;
    }
    error = (info.st_mode & _S_IFDIR) ? EISDIR : 0;
    size = static_cast<std::uint64_t>(info.st_size);
    return (info.st_mode & _S_IFREG) != 0;
}
long long ReadSome(Descriptor fd, char* buffer, std::size_t size) {
    return _read(fd, buffer, static_cast<unsigned>(size));
}
void CloseDescriptor(Descriptor fd) {
    _close(fd);
}
void PrepareStandardInput() {
    _setmode(kStandardInput, _O_BINARY);
}
#else
using Descriptor = int;
constexpr Descriptor kStandardInput = STDIN_FILENO;

Descriptor OpenReadOnly(const std::filesystem::path& path) {
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; the file
    // is checked to be regular before anything is read.
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
}
bool IsRegularFile(Descriptor fd, int& error, std::uint64_t& size) {
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        error = errno;
        return false;
    }
    error = S_ISDIR(info.st_mode) ? EISDIR : 0;
    size = static_cast<std::uint64_t>(info.st_size);
    // O_NONBLOCK changes nothing for a regular file's reads, so it stays.
    return S_ISREG(info.st_mode);
}
long long ReadSome(Descriptor fd, char* buffer, std::size_t size) {
    long long got;
    do {
        got = ::read(fd, buffer, size);
    } while (got < 0 && errno == EINTR);
    return got;
}
void CloseDescriptor(Descriptor fd) {
    ::close(fd);
}
void PrepareStandardInput() {}
#endif

class DescriptorCloser {
public:
    explicit DescriptorCloser(Descriptor fd, bool owned) : fd_(fd), owned_(owned) {}
    ~DescriptorCloser() {
        if (owned_)
            CloseDescriptor(fd_);
    }
    DescriptorCloser(const DescriptorCloser&) = delete;
    DescriptorCloser& operator=(const DescriptorCloser&) = delete;

private:
    Descriptor fd_;
    bool owned_;
};

} // namespace

ReadOutcome ReadFileBlocks(const InputSource& source, std::size_t blockSize,
                           const std::function<bool(std::string_view block)>& onBlock) {
    ReadOutcome outcome;
    auto fail = [&](std::string reason) {
        outcome.ok = false;
        outcome.error = std::move(reason);
        return outcome;
    };

    Descriptor fd = kStandardInput;
    if (source.standardInput) {
        PrepareStandardInput();
    } else {
        fd = OpenReadOnly(source.path);
        if (fd < 0)
            return fail(SystemReason(errno));
    }
    DescriptorCloser closer(fd, !source.standardInput);

    // A file's size when opened; standard input has none.
    std::optional<std::uint64_t> knownSize;
    if (!source.standardInput) {
        int error = 0;
        std::uint64_t size = 0;
        if (!IsRegularFile(fd, error, size))
            return fail(error != 0 ? SystemReason(error) : "Not a regular file");
        knownSize = size;
    }

    // Not zero-filled: with many small files that fill would cost more than the reads.
    const auto buffer = std::make_unique_for_overwrite<char[]>(blockSize);
    for (;;) {
        const long long got = ReadSome(fd, buffer.get(), blockSize);
        if (got < 0)
            return fail(SystemReason(errno));
        if (got == 0)
            break;
        outcome.bytesRead += static_cast<std::uint64_t>(got);
        if (!onBlock(std::string_view(buffer.get(), static_cast<std::size_t>(got)))) {
            outcome.stopped = true;
            break;
        }
        // A short read of a regular file that has reached its size ends it
        // as surely as the empty read after it would, and saves that call.
        if (knownSize && static_cast<std::size_t>(got) < blockSize &&
            outcome.bytesRead >= *knownSize)
            break;
    }
    return outcome;
}

} // namespace ornavex
