#pragma once

#include "engine/address_set.h"
#include "engine/insert_new_in_order.h"
#include "run/deduplicator.h"
#include "run/held_back.h"
#include "run/run_output.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ornavex {

class PartitionedAddresses;

// De-duplicates in one address set: each address is looked up as it comes,
// and a file's new ones are held back, as keys of the set, until the file
// has been read to its end. With details it keeps the source of each
// address given or held back, and the set counts every occurrence.
class InMemoryDeduplicator final : public Deduplicator {
public:
    InMemoryDeduplicator(RunOutput& output, std::uint64_t seed, bool details);

    void StartStretch(bool fileStart, std::uint32_t member) override;
    void Add(const ReadEvent& event, const EventParcel& parcel) override;
    void VoidStretch() override;
    void FileDone(FileTally tally) override;
    void FileFailed(FileTally tally) override;
    bool Finish(std::vector<AddressOrigin>& sources) override;

    // What the set and what hangs on it take.
    std::uint64_t MemoryInUse() const;
    // After Finish: the set, whose keys are the distinct addresses.
    std::unique_ptr<AddressSet> TakeSet() { return std::move(seen_); }

    // For the partitioned de-duplicator that takes over once the set takes
    // no more. It goes on asking this one to hold back, give and give back
    // the addresses of the file being read at the hand-over, and to count
    // what that file finds.
    //
    // Gives the set's keys to the partitions as known, those held back
    // marked as fileIndex's, the stretch being read last; returns the
    // partitions' position where that stretch starts.
    std::uint64_t HandOverKeys(PartitionedAddresses& to, std::uint32_t fileIndex) const;
    std::uint64_t seed() const { return seen_->seed(); }
    std::uint64_t SetBytes() const { return seen_->MemoryBytes(); }
    std::uint32_t member() const { return member_; } // of the stretch being read
    void Found(std::uint64_t count) { foundInFile_ += count; }
    void Tell(FileTally& tally) const;
    void ReleaseHeldBack();
    void VoidFile();
    // The sources so far, with their counts final.
    std::vector<AddressOrigin> TakeSources();

private:
    void CountKept();

    RunOutput& output_;
    const bool details_;
    std::unique_ptr<AddressSet> seen_;
    // The new addresses of the file being read. It refers to the set, which
    // lives exactly as long as this object.
    HeldBack heldBack_{*seen_};
    std::uint64_t foundInFile_ = 0; // its addresses so far, repeats included
    // With details: the sources of the addresses given and held back, and
    // their keys in the set.
    std::vector<AddressOrigin> sources_;
    std::vector<AddressSet::KeyReference> keys_;
    std::size_t keptBefore_ = 0; // sources of the files before this one
    std::uint32_t member_ = 0;
    // Where the stretch being read started: what was held back, kept and
    // found before it.
    struct Stretch {
        std::size_t heldBack = 0;
        std::size_t sources = 0;
        std::uint64_t found = 0;
    };
    Stretch stretch_;
    // Each stretch of a file is counted apart in the set, so a member
    // that fails can take its occurrences back.
    std::uint32_t stretchId_ = 0;
    std::uint32_t fileStretchId_ = 0; // the first of the file
};

} // namespace ornavex
