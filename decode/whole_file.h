#pragma once

#include "decode/byte_source.h"
#include "os/file_access.h"
#include "os/temporary_file.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace ornavex {

// A part read as a file, for the kinds whose readers seek in it or open it
// by name (7-Zip, PDF): the file itself when the part is the whole file,
// else a copy in a temporary file, which has no name and so goes whatever way
// the program ends.
class WholeFile {
public:
    // The file itself; false with error set.
    bool Use(const std::filesystem::path& path, std::string& error);
    // A copy of all that source gives; false with error set, or with error
    // empty when the source failed (its own error says why).
    bool Copy(ByteSource& source, std::string& error);

    // A name that opens the file.
    const std::filesystem::path& path() const { return path_; }
    std::uint64_t size() const { return size_; }
    // Reads up to size bytes at offset: the count, 0 at the end, or -1 with
    // error set.
    long long ReadAt(char* buffer, std::size_t size, std::uint64_t offset, std::string& error);

private:
    std::filesystem::path path_;
    std::uint64_t size_ = 0;
    InputFile file_;
    std::unique_ptr<TemporaryFile> copy_;
};

} // namespace ornavex
