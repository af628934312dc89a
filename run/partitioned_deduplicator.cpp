#include "run/partitioned_deduplicator.h"

#include <string_view>

namespace ornavex {

PartitionedDeduplicator::PartitionedDeduplicator(std::unique_ptr<InMemoryDeduplicator> full,
                                                 RunOutput& output, std::uint32_t fileIndex,
                                                 const std::filesystem::path& folder,
                                                 std::uint64_t memoryBudget, bool details)
    : before_(std::move(full)), output_(output), details_(details),
      partitions_(
          std::make_unique<PartitionedAddresses>(folder, before_->seed(), details, memoryBudget)) {
    // The stretch being read goes on, in the same member.
    member_ = before_->member();
    stretchStart_ = before_->HandOverKeys(*partitions_, fileIndex);
}

void PartitionedDeduplicator::StartStretch(bool fileStart, std::uint32_t member) {
    before_->StartStretch(fileStart, member);
    member_ = member;
    stretchStart_ = partitions_->Position();
}

// Every occurrence goes to its partition, to be de-duplicated at the end.
void PartitionedDeduplicator::Add(const ReadEvent& event, const EventParcel& parcel) {
    const auto fileIndex = static_cast<std::uint32_t>(event.fileIndex);
    for (std::size_t i = 0; i < event.entryCount; ++i) {
        const FoundAddress& entry = parcel.entries[event.firstEntry + i];
        partitions_->Add(parcel.Address(entry), entry.hash,
                         OccurrenceOrigin{fileIndex, member_, entry.line});
    }
    before_->Found(event.entryCount);
    output_.progress().diskBytes = output_.summary().diskBytes = partitions_->DiskBytes();
}

// The partitions leave out the occurrences the stretch gave, and the set
// what it held back for it.
void PartitionedDeduplicator::VoidStretch() {
    partitions_->VoidSince(stretchStart_);
    before_->VoidStretch();
}

// What a file added in the partitions is known only at the end.
void PartitionedDeduplicator::FileDone(FileTally tally) {
    before_->Tell(tally);
    tallies_.push_back(std::move(tally));
    before_->ReleaseHeldBack();
}

void PartitionedDeduplicator::FileFailed(FileTally tally) {
    before_->VoidFile();
    partitions_->VoidFile(static_cast<std::uint32_t>(tally.fileIndex));
    // Told in file order, after those of the files read before.
    tallies_.push_back(std::move(tally));
}

// The partitions are de-duplicated and their addresses given in the order
// they were first found, after those of the set.
bool PartitionedDeduplicator::Finish(std::vector<AddressOrigin>& sources) {
    if (details_)
        sources = before_->TakeSources();
    // The set is done with: its memory goes to the partitions.
    partitions_->AddBudget(before_->SetBytes());
    before_.reset();
    RunSummary& summary = output_.summary();
    RunProgress& progress = output_.progress();
    std::vector<std::uint64_t> addedByFile(progress.fileCount);
    // A sink that takes the sources with the addresses keeps them out of
    // this run's memory.
    const bool late = details_ && output_.TakesLateSources();
    const bool finished = partitions_->Resolve(
        [&](std::string_view address, std::uint64_t count, const OccurrenceOrigin& source) {
            ++summary.uniqueAddresses;
            ++addedByFile[source.fileIndex];
            const AddressOrigin where{count, source.fileIndex, source.member, source.line};
            if (late) {
                output_.Address(address, &where);
                return;
            }
            if (details_)
                sources.push_back(where);
            output_.Address(address);
        },
        [&](std::uint32_t index, std::uint64_t count) { sources[index].count += count; },
        [&](std::size_t done, std::size_t total) {
            progress.partitionsDone = done;
            progress.partitions = total;
            progress.diskBytes = partitions_->DiskBytes();
            return output_.Progress();
        });
    summary.diskBytes = partitions_->DiskBytes();
    partitions_.reset();
    if (!finished)
        return false;
    for (FileTally& tally : tallies_) {
        tally.added += addedByFile[tally.fileIndex];
        output_.FileRead(tally);
    }
    return true;
}

} // namespace ornavex
