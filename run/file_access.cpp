#include "run/file_access.h"

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

void InputFile::Close() {
    if (owned_ && fd_ >= 0)
        CloseDescriptor(fd_);
    fd_ = -1;
    owned_ = false;
}

} // namespace ornavex
