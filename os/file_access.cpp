#include "os/file_access.h"

#include "os/system_reason.h"

#include <utility>

namespace ornavex {

const char* RefusalFor(FileStatus::Kind kind) {
    switch (kind) {
    case FileStatus::Kind::kRegular:
        return nullptr;
    case FileStatus::Kind::kDirectory:
        return "Is a directory";
    case FileStatus::Kind::kOther:
        break;
    }
    return "Not a regular file";
}

InputFile::~InputFile() {
    Close();
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), owned_(std::exchange(other.owned_, false)),
      size_(other.size_) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        Close();
        fd_ = std::exchange(other.fd_, -1);
        owned_ = std::exchange(other.owned_, false);
        size_ = other.size_;
    }
    return *this;
}

InputFile InputFile::OpenRegular(const std::filesystem::path& path, std::string& error) {
    auto fail = [&](const std::string& reason) {
        error = reason;
        return InputFile();
    };
    FileStatus status;
    if (const int code = StatPath(path, status))
        return fail(SystemReason(code));
    if (const char* refusal = RefusalFor(status.kind))
        return fail(refusal);
    int fd = -1;
    if (const int code = OpenDescriptor(path, fd))
        return fail(SystemReason(code));
    InputFile file(fd, true, 0);
    // What was opened: a file swapped in since the look-up is not read either.
    if (const int code = StatDescriptor(fd, status))
        return fail(SystemReason(code));
    if (const char* refusal = RefusalFor(status.kind))
        return fail(refusal);
    file.size_ = status.size;
    return file;
}

void InputFile::Close() {
    if (owned_ && fd_ >= 0)
        CloseDescriptor(fd_);
    fd_ = -1;
    owned_ = false;
}

} // namespace ornavex
