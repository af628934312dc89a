#pragma once

#include "engine/address_set.h"
#include "os/scratch_file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// Where an occurrence was found.
struct OccurrenceSource {
    std::uint32_t fileIndex = 0;
    std::uint32_t member = 0;
    std::uint64_t line = 0;
};

// The addresses of a run that no longer fit in memory, kept in a scratch
// file. Each occurrence goes, by hash, to one of kPartitions partitions, so
// that every address with all its spellings lies in one partition; at the
// end each partition is de-duplicated on its own, in memory, and the new
// addresses of all of them are merged back by position, so they come out in
// the order of their first occurrence, spelled as they first were.
class SpilledAddresses {
public:
    static constexpr std::size_t kPartitions = 256;

    // keepSources: keep where each occurrence was found beyond its file.
    SpilledAddresses(const std::filesystem::path& folder, std::uint64_t seed, bool keepSources);

    // One more occurrence, after all those added before. hash is
    // AddressSet::Hash(address, seed). Throws when the disk will not take it.
    void Add(std::string_view address, std::uint64_t hash, const OccurrenceSource& source);
    // Leaves the occurrences of a file out (it failed part-way).
    void Void(std::uint32_t fileIndex);
    std::uint64_t DiskBytes() const { return file_.size(); }

    // The distinct addresses, in the order of their first occurrence: each
    // with its spelling there, its number of occurrences and its source.
    using OnAddress = std::function<void(std::string_view address, std::uint32_t count,
                                         const OccurrenceSource& source)>;
    // Called after each partition with how many are done; false stops.
    using OnProgress = std::function<bool(std::size_t done, std::size_t total)>;
    // Returns false when stopped. Call once, after the last Add.
    bool Resolve(const OnAddress& onAddress, const OnProgress& onProgress);

private:
    // A run of records written together, and where in the file.
    struct Block {
        std::uint64_t offset = 0;
        std::uint32_t size = 0;
    };
    // Records go to a partition's buffer and from there, a block at a time,
    // to the file.
    struct Partition {
        std::string buffer;
        std::uint64_t lastPosition = 0; // of the buffer's last record
        std::vector<Block> blocks;
    };
    void Flush(Partition& partition);
    void ResolvePartition(Partition& partition, Partition& out);
    void Merge(std::vector<Partition>& outs, const OnAddress& onAddress);

    ScratchFile file_;
    std::uint64_t seed_;
    bool keepSources_;
    std::vector<Partition> partitions_;
    std::uint64_t position_ = 0;
    std::vector<bool> voided_;
};

} // namespace ornavex
