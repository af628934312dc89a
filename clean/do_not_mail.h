#pragma once

#include "run/input.h"
#include "run/partitioned_records.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

class AddressSet;

// The addresses of do-not-mail files: each file is read as the run reads any
// input (an address per line, or any text, document or archive), and an
// address matches in any letter case.
//
// The files are read by a run, and the run's own address set, seeded afresh,
// becomes the list. A list too large for its share of memory (or for the
// run, which then kept its addresses on disk) is kept on disk instead, split
// by a seeded hash into partitions; a long list is then best matched
// partition by partition against addresses split by the same Hash.
class DoNotMail {
public:
    DoNotMail();
    ~DoNotMail();
    DoNotMail(const DoNotMail&) = delete;
    DoNotMail& operator=(const DoNotMail&) = delete;

    // Reads the files; the reasons of those that could not be read, each
    // "NAME: reason", go to failures. memoryLimit bounds the memory the list
    // takes (0: DefaultMemoryLimit()); held in memory, it takes at most half
    // of it. Temporary data goes to temporaryFolder (empty: TemporaryFolder());
    // a list that must go there and cannot is a failure too.
    void Load(const std::vector<Input>& files, bool readInside, std::vector<std::string>& failures,
              std::uint64_t memoryLimit = 0, const std::filesystem::path& temporaryFolder = {});

    bool Contains(std::string_view address) const;
    std::uint64_t size() const { return size_; }

    // Whether the list is held in memory, and the memory it takes there.
    bool InMemory() const { return set_ != nullptr; }
    std::uint64_t MemoryBytes() const;
    // The temporary data its loading wrote.
    std::uint64_t DiskBytes() const { return diskBytes_; }

    // The list on disk: the hash that picks an address's partition
    // (PartitionedRecords::PartitionOf, ignoring letter case), and the
    // addresses of a partition, in any letter case.
    std::uint64_t Hash(std::string_view address) const;
    std::uint64_t seed() const { return seed_; }
    void ForEachOnDisk(std::size_t partition,
                       const std::function<void(std::string_view address)>& onAddress) const;

private:
    std::uint64_t seed_ = 0;
    std::unique_ptr<AddressSet> set_;
    std::unique_ptr<PartitionedRecords> onDisk_;
    std::uint64_t size_ = 0;
    std::uint64_t diskBytes_ = 0;
};

} // namespace ornavex
