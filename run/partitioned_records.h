#pragma once

#include "os/temporary_file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// Records of bytes in a fixed number of partitions, each read back on its
// own in the order its records were added: for matching two lists too
// large to hold, partition by partition, each side split by the same hash.
// A partition's records stay in a small buffer of its own; each time it
// fills it joins the full buffers of others, which go to a temporary file in
// folder (made when first needed) a megabyte at a time.
class PartitionedRecords {
public:
    static constexpr std::size_t kPartitions = 256;

    explicit PartitionedRecords(std::filesystem::path folder);
    ~PartitionedRecords();
    PartitionedRecords(const PartitionedRecords&) = delete;
    PartitionedRecords& operator=(const PartitionedRecords&) = delete;

    // The partition of a hash: bits that the address set's table does not
    // take, so the keys of one partition spread over a set's slots.
    static std::size_t PartitionOf(std::uint64_t hash) { return hash % kPartitions; }

    // Throws TemporaryDataError when the disk cannot take it.
    void Add(std::size_t partition, std::string_view record);
    std::uint64_t size() const { return count_; }
    std::uint64_t DiskBytes() const { return (file_ ? file_->size() : 0) + staged_.size(); }

    // Calls onRecord for each record of the partition, in order.
    void ForEach(std::size_t partition,
                 const std::function<void(std::string_view record)>& onRecord) const;

private:
    struct Block {
        std::uint64_t offset;
        std::uint32_t size;
    };
    struct Partition {
        std::string buffer;
        std::vector<Block> blocks;
    };

    std::filesystem::path folder_;
    std::vector<Partition> partitions_;
    std::unique_ptr<TemporaryFile> file_;
    std::string staged_; // full buffers on their way to the file's end
    std::uint64_t count_ = 0;
};

} // namespace ornavex
