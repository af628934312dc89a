#pragma once

#include "os/temporary_file.h"
#include "run/record_log.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// Records sorted by a key of bytes (compared as unsigned bytes; a key that
// begins another comes first), those with equal keys in the order they were
// added. They are sorted in memory while they fit in memoryBytes; past that,
// each memory's worth is sorted and written to a temporary file in folder as
// a run, and the runs are merged back, a bounded number at a time: an
// external merge sort, with the temporary data of a run past its memory
// limit. A few records never touch the disk; when the disk cannot take the
// first run, every record is sorted in memory, whatever it takes.
class RecordSorter {
public:
    RecordSorter(std::filesystem::path folder, std::size_t memoryBytes);
    ~RecordSorter();
    RecordSorter(const RecordSorter&) = delete;
    RecordSorter& operator=(const RecordSorter&) = delete;

    // Throws TemporaryDataError (see TemporaryFile) when the disk, having
    // taken runs, takes no more.
    void Add(std::string_view key, std::string_view value);
    std::uint64_t size() const { return count_; }
    // The most temporary data on disk at once.
    std::uint64_t DiskBytes() const {
        return std::max(diskPeak_, file_ ? file_->size() : std::uint64_t{0});
    }

    // After the last Add: the records in key order, each valid until the
    // next call; false after the last.
    bool Next(std::string_view& key, std::string_view& value);

private:
    // A record in memory: the first eight bytes of its key, most
    // significant first (so most comparisons end there), and where it lies
    // in the arena, which grows in the order records are added.
    struct Entry {
        std::uint64_t prefix;
        std::uint64_t location; // chunk << 32 | offset
        std::uint32_t keySize;
        std::uint32_t valueSize;
    };
    struct Run {
        std::uint64_t begin;
        std::uint64_t end;
    };
    class Merge;

    const char* At(std::uint64_t location) const {
        return chunks_[location >> 32].get() + (location & 0xffffffffu);
    }
    bool Less(const Entry& a, const Entry& b) const;
    std::size_t MemoryBytes() const;
    void SortInMemory();
    void WriteRun(); // the records in memory, sorted, as a run of the file
    void Finish();

    std::filesystem::path folder_;
    std::size_t memoryBytes_;
    std::uint64_t count_ = 0;
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::vector<std::size_t> chunkSizes_;
    std::size_t chunkUsed_ = 0; // in the last chunk
    std::size_t arenaUsed_ = 0; // bytes of the records in memory
    std::vector<Entry> entries_;
    std::unique_ptr<TemporaryFile> file_;
    std::vector<Run> runs_;
    std::uint64_t diskPeak_ = 0;
    bool inMemoryOnly_ = false; // no disk to go to
    bool finished_ = false;
    std::size_t next_ = 0; // into entries_, when all stayed in memory
    std::unique_ptr<Merge> merge_;
};

} // namespace ornavex
