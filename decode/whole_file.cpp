#include "decode/whole_file.h"

#include <stdexcept>

namespace ornavex {

bool WholeFile::Use(const std::filesystem::path& path, std::string& error) {
    file_ = InputFile::OpenRegular(path, error);
    if (!file_.isOpen())
        return false;
    path_ = path;
    size_ = file_.size();
    return true;
}

bool WholeFile::Copy(ByteSource& source, std::string& error) {
    try {
        copy_ = std::make_unique<TemporaryFile>(TemporaryFolder());
        std::string_view bytes;
        for (;;) {
            if (!source.Next(bytes)) {
                error.clear();
                return false;
            }
            if (bytes.empty())
                break;
            copy_->Append(bytes.data(), bytes.size());
        }
    } catch (const std::runtime_error& failure) {
        error = failure.what();
        return false;
    }
    path_ = copy_->OpenPath();
    size_ = copy_->size();
    return true;
}

long long WholeFile::ReadAt(char* buffer, std::size_t size, std::uint64_t offset,
                            std::string& error) {
    if (!copy_)
        return file_.ReadAt(buffer, size, offset, error);
    if (offset >= size_)
        return 0;
    if (size > size_ - offset)
        size = static_cast<std::size_t>(size_ - offset);
    try {
        copy_->ReadAt(offset, buffer, size);
    } catch (const std::runtime_error& failure) {
        error = failure.what();
        return -1;
    }
    return static_cast<long long>(size);
}

} // namespace ornavex
