#include "run/block_reader.h"

namespace ornavex {

BlockReader::BlockReader(std::size_t blockSize) : blockSize_(blockSize) {}

bool BlockReader::Open(const Input& source) {
    standardInput_ = source.standardInput;
    file_ =
        standardInput_ ? InputFile::StandardInput() : InputFile::OpenRegular(source.path, error_);
    return file_.isOpen();
}

bool BlockReader::Next(std::string_view& block) {
    if (!buffer_) // not zero-filled: with many small files that fill would cost more than the reads
        buffer_ = std::make_unique_for_overwrite<char[]>(blockSize_);
    const long long got = file_.Read(buffer_.get(), blockSize_, error_);
    if (got < 0)
        return false;
    block = std::string_view(buffer_.get(), static_cast<std::size_t>(got));
    bytesRead_ += static_cast<std::uint64_t>(got);
    return true;
}

bool BlockReader::ReadAgain(std::uint64_t offset, std::size_t length, std::string& out) {
    if (!CanReadAgain()) {
        error_ = "The input cannot be read again";
        return false;
    }
    out.resize(length);
    std::size_t done = 0;
    while (done < length) {
        const long long got = file_.ReadAt(out.data() + done, length - done, offset + done, error_);
        if (got < 0)
            return false;
        if (got == 0) {
            error_ = "The file changed while it was read";
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace ornavex
