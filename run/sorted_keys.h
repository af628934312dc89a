#pragma once

#include "os/scratch_file.h"
#include "run/record_log.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// Distinct keys of bytes in ascending order (as unsigned bytes), for a set
// too large to hold: kept in a scratch file in blocks, with the first key
// of each block in memory. Read back in order, or asked for one key, which
// costs a block read.
class SortedKeys {
public:
    explicit SortedKeys(const std::filesystem::path& folder);

    // Keys come in ascending order; one equal to the last is skipped.
    // Throws TemporaryDataError when the disk cannot take it.
    void Add(std::string_view key);
    // After the last Add.
    void Finish();
    std::uint64_t size() const { return count_; }
    std::uint64_t DiskBytes() const { return file_.size(); }

    bool Contains(std::string_view key) const;

    // The keys in order; see FramedReader.
    FramedReader Read() const;

private:
    void WriteBlock();

    ScratchFile file_;
    std::string block_;               // framed keys not yet written
    std::vector<std::string> firsts_; // of the blocks written
    std::vector<std::uint64_t> offsets_;
    std::string last_;
    std::uint64_t count_ = 0;
};

} // namespace ornavex
