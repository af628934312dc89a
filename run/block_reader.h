#pragma once

#include "os/file_access.h"
#include "run/input.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ornavex {

inline constexpr std::size_t kReadBlockSize = 30000;

// Reads one input from start to end in blocks of blockSize bytes, one read
// per block. Only regular files (and the standard input) are read: a folder,
// a FIFO or a device fails with a clear reason before a byte of it is read.
// The file stays open until the reader goes, so parts of it can be read again.
class BlockReader {
public:
    explicit BlockReader(std::size_t blockSize);

    // False, with error() set, when the source cannot be read.
    bool Open(const Input& source);
    // The next block; an empty one at the end. False, with error() set, when
    // a read fails. A short read does not end the file: files whose size says
    // nothing (those of /proc) are read until a read gives nothing.
    bool Next(std::string_view& block);
    // Reads length bytes of the file at offset again into out; false, with
    // error() set, when the file no longer holds them. Not for the standard
    // input, which cannot be read twice.
    bool ReadAgain(std::uint64_t offset, std::size_t length, std::string& out);
    bool CanReadAgain() const { return file_.isOpen() && !standardInput_; }

    const std::string& error() const { return error_; }
    std::uint64_t bytesRead() const { return bytesRead_; }
    // The file's size when it was opened; 0 for the standard input.
    std::uint64_t size() const { return file_.size(); }

private:
    std::size_t blockSize_;
    std::unique_ptr<char[]> buffer_;
    InputFile file_;
    bool standardInput_ = false;
    std::string error_;
    std::uint64_t bytesRead_ = 0;
};

} // namespace ornavex
