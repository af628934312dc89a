#pragma once

#include "run/deduplicator.h"
#include "run/in_memory_deduplicator.h"
#include "run/partitioned_addresses.h"
#include "run/run_output.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace ornavex {

// De-duplicates once the address set takes no more: every occurrence goes
// to the partitions of PartitionedAddresses, to be de-duplicated there after the
// last file, and the new addresses come out in the order of their first
// occurrence, after those the set gave. The file being read at the
// hand-over still gives what the set held back for it at its end; the tally
// of each file after the hand-over is told once its additions are known.
class PartitionedDeduplicator final : public Deduplicator {
public:
    // Takes over from full, the file at fileIndex being read; the
    // partitions' temporary file goes in folder, and memoryBudget is what the
    // partitions may keep in memory should it take no more.
    PartitionedDeduplicator(std::unique_ptr<InMemoryDeduplicator> full, RunOutput& output,
                            std::uint32_t fileIndex, const std::filesystem::path& folder,
                            std::uint64_t memoryBudget, bool details);

    void StartStretch(bool fileStart, std::uint32_t member) override;
    void Add(const ReadEvent& event, const EventParcel& parcel) override;
    void VoidStretch() override;
    void FileDone(FileTally tally) override;
    void FileFailed(FileTally tally) override;
    bool Finish(std::vector<AddressOrigin>& sources) override;

private:
    std::unique_ptr<InMemoryDeduplicator> before_; // until Finish
    RunOutput& output_;
    const bool details_;
    std::unique_ptr<PartitionedAddresses> partitions_;
    std::uint32_t member_ = 0;
    std::uint64_t stretchStart_ = 0; // the partitions' position where the stretch started
    std::vector<FileTally> tallies_; // of the files read since the hand-over
};

} // namespace ornavex
