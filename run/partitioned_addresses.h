#pragma once

#include "engine/address_set.h"
#include "os/temporary_file.h"
#include "run/bounded_queue.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace ornavex {

// Where an occurrence was found.
struct OccurrenceOrigin {
    std::uint32_t fileIndex = 0;
    std::uint32_t member = 0;
    std::uint64_t line = 0;
};

struct PartitionRecord;

// The addresses of a run once its address set takes no more: those the set
// held, as known, then every later occurrence, split by hash into
// kPartitions partitions, so that every address with all its spellings lies
// in one partition. Each partition's occurrences are kept in blocks in a
// temporary file, written by a thread of its own, or in memory within a
// budget when the file cannot take them (a full or missing temporary
// folder). At the end each partition is de-duplicated on its own, in a set a
// fraction of the size of the whole, two partitions at a time, and the new
// addresses of all of them are merged back by position, so they come out in
// the order of their first occurrence, spelled as they first were.
class PartitionedAddresses {
public:
    static constexpr std::size_t kPartitions = 256;

    // keepSources: keep where each occurrence was found beyond its file.
    // folder: where the temporary file goes; memoryBudget: the bytes of blocks
    // that may be kept in memory when it cannot take them.
    PartitionedAddresses(std::filesystem::path folder, std::uint64_t seed, bool keepSources,
                         std::uint64_t memoryBudget);
    ~PartitionedAddresses();
    PartitionedAddresses(const PartitionedAddresses&) = delete;
    PartitionedAddresses& operator=(const PartitionedAddresses&) = delete;

    // One more occurrence, after all those added before. hash is
    // AddressSet::Hash(address, seed). Throws when neither the disk nor the
    // budget will take it, saying why the disk would not.
    void Add(std::string_view address, std::uint64_t hash, const OccurrenceOrigin& source);
    // An address the run gave, or holds back, before the first Add: none of
    // its later occurrences is new. index comes back with the number of
    // those (see Resolve); fileIndex is the file whose failure takes it back,
    // or kGiven.
    static constexpr std::uint32_t kGiven = UINT32_MAX;
    void AddKnown(std::string_view address, std::uint64_t hash, std::uint32_t index,
                  std::uint32_t fileIndex);
    // Leaves the occurrences of a file out (it failed part-way).
    void VoidFile(std::uint32_t fileIndex);
    // Leaves out the occurrences added since Position() was from (a member
    // of the file being read failed).
    std::uint64_t Position() const { return position_; }
    void VoidSince(std::uint64_t from);
    // More memory for blocks (what the caller gave up).
    void AddBudget(std::uint64_t bytes) {
        const std::lock_guard<std::mutex> lock(storeMutex_);
        budget_ += bytes;
    }
    std::uint64_t MemoryBytes() const {
        const std::lock_guard<std::mutex> lock(storeMutex_);
        return memoryBytes_;
    }
    std::uint64_t DiskBytes() const {
        const std::lock_guard<std::mutex> lock(storeMutex_);
        return file_ ? file_->size() : 0;
    }

    // The distinct addresses, in the order of their first occurrence: each
    // with its spelling there, its number of occurrences and its source.
    using OnAddress = std::function<void(std::string_view address, std::uint64_t count,
                                         const OccurrenceOrigin& source)>;
    // With sources kept: the occurrences of a known address after it became
    // known, when there were any.
    using OnKnownCount = std::function<void(std::uint32_t index, std::uint64_t count)>;
    // Called after each partition with how many are done; false stops.
    using OnProgress = std::function<bool(std::size_t done, std::size_t total)>;
    // Returns false when stopped. Call once, after the last Add.
    bool Resolve(const OnAddress& onAddress, const OnKnownCount& onKnownCount,
                 const OnProgress& onProgress);

private:
    // A run of records stored together: in memory, or in the file at offset.
    struct Block {
        std::string bytes; // empty when in the file
        std::uint64_t offset = 0;
        std::uint32_t size = 0;
    };
    // Records go to a partition's buffer and from there, a block at a time,
    // to memory or the file.
    struct Partition {
        std::string buffer; // its first `used` bytes
        std::size_t used = 0;
        std::uint64_t lastPosition = 0; // of the buffer's last record
        std::vector<Block> blocks;
        // Of a resolved partition: index and later occurrences of its known
        // addresses.
        std::vector<std::pair<std::uint32_t, std::uint64_t>> knownCounts;
    };
    // A partition's full buffer goes to the writer thread, which stores it
    // while this one goes on, and the partition takes a spare one.
    void Send(std::size_t partition);
    void Write(); // the writer thread
    // Sends what is left and waits for the writer; throws what it failed with.
    void FinishWriting();
    void Flush(Partition& partition); // stores at once
    // Stores size bytes of the buffer; when it keeps the buffer itself in
    // memory, bytes is left empty.
    Block Store(std::string& bytes, std::size_t size);
    // The bytes of a block: its own, or read from the file into buffer.
    const char* BlockData(const Block& block, std::string& buffer) const;
    void Release(std::vector<Block>& blocks);
    void Append(std::uint64_t hash, const PartitionRecord& record);
    void ResolvePartition(Partition& partition, Partition& out);
    using VoidedSpan = std::vector<std::pair<std::uint64_t, std::uint64_t>>::const_iterator;
    // Whether the occurrence at position in the file was voided: the whole
    // file, or a span the position lies in. span moves on past the spans that
    // end at or before position, so positions must come in order.
    bool Voided(std::uint32_t file, std::uint64_t position, VoidedSpan& span) const;
    void Merge(std::vector<Partition>& outs, const OnAddress& onAddress);

    std::filesystem::path folder_;
    // The blocks' store, which partitions resolved at once share.
    mutable std::mutex storeMutex_;
    std::unique_ptr<TemporaryFile> file_; // made when a block first needs it
    std::string fileComplaint_;           // why the file took no more, once it did not
    std::uint64_t seed_;
    bool keepSources_;
    std::uint64_t budget_;
    std::uint64_t memoryBytes_ = 0; // of the blocks in memory
    // The partitions, then the partition of every occurrence, a byte each.
    static constexpr std::size_t kOwners = kPartitions;
    static_assert(kPartitions <= 256, "an occurrence's partition is kept in a byte");
    std::vector<Partition> partitions_;
    struct Pending {
        std::size_t partition;
        std::string bytes;
        std::size_t size; // of bytes used
    };
    BoundedQueue<Pending> toWrite_;
    BoundedQueue<std::string> spare_;
    std::thread writer_;
    std::exception_ptr writeFailure_; // the writer's first, with storeMutex_
    std::uint64_t position_ = 0;
    std::vector<bool> voided_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> voidedSpans_; // in order, [first, end)
};

} // namespace ornavex
