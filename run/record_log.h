#pragma once

#include "os/temporary_file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace ornavex {

// Reads the framed records (see TakeFramed) of a stretch of a temporary file
// a window at a time; a record longer than the window widens it.
class FramedReader {
public:
    FramedReader() = default;
    FramedReader(const TemporaryFile* file, std::uint64_t begin, std::uint64_t end,
                 std::size_t windowBytes);
    // The next record, valid until the next call; false at the end.
    // Throws what the file throws.
    bool Next(std::string_view& record);

private:
    const TemporaryFile* file_ = nullptr;
    std::uint64_t next_ = 0; // where the window's next bytes come from
    std::uint64_t end_ = 0;
    std::size_t windowBytes_ = 0;
    std::string window_;
    std::size_t at_ = 0; // of the window's first record not yet taken
};

// Records of bytes, read back in the order they were appended: in memory
// while they fit in memoryBytes, then written out in pieces of that size to
// a temporary file in folder (made when first needed), as the addresses past
// a run's memory limit are. Small logs never touch the disk; when the disk
// takes no more, the records stay in memory.
class RecordLog {
public:
    RecordLog(std::filesystem::path folder, std::size_t memoryBytes);

    void Append(std::string_view record);
    std::uint64_t size() const { return count_; }
    std::uint64_t DiskBytes() const { return fileBytes_; }
    std::size_t MemoryBytes() const { return buffer_.capacity(); }

    // Reads the records from the first. The log takes no more meanwhile.
    class Reader {
    public:
        bool Next(std::string_view& record);

    private:
        friend class RecordLog;
        FramedReader file_;
        std::string_view memory_;
    };
    Reader Read() const;

private:
    std::filesystem::path folder_;
    std::size_t memoryBytes_;
    std::string buffer_; // framed records not written out
    std::unique_ptr<TemporaryFile> file_;
    std::uint64_t fileBytes_ = 0; // written whole; a failed write may leave more
    bool inMemoryOnly_ = false;
    std::uint64_t count_ = 0;
};

} // namespace ornavex
