#include "run/in_memory_deduplicator.h"

#include "run/partitioned_addresses.h"

#include <algorithm>

namespace ornavex {

InMemoryDeduplicator::InMemoryDeduplicator(RunOutput& output, std::uint64_t seed, bool details)
    : output_(output), details_(details),
      // Only the details count occurrences.
      seen_(std::make_unique<AddressSet>(seed, AddressSet::kMaxChunkBytes,
                                         details ? AddressSet::Counting::kOn
                                                 : AddressSet::Counting::kOff)) {}

void InMemoryDeduplicator::StartStretch(bool fileStart, std::uint32_t member) {
    ++stretchId_;
    if (fileStart)
        fileStretchId_ = stretchId_;
    member_ = member;
    seen_->SetStretch(stretchId_, fileStretchId_);
    stretch_ = Stretch{heldBack_.size(), sources_.size(), foundInFile_};
}

// Looks every address of the event up in text order; each new one is held
// back until its file has been read to the end.
void InMemoryDeduplicator::Add(const ReadEvent& event, const EventParcel& parcel) {
    // Straight from the parcel: the entries lie within its text.
    const FoundAddress* entries = parcel.entries.data() + event.firstEntry;
    const auto addressAt = [&](std::size_t i) {
        return HashedAddress{
            std::string_view(parcel.text.data() + entries[i].offset, entries[i].length),
            entries[i].hash};
    };
    foundInFile_ += event.entryCount;
    InsertNewInOrder(*seen_, event.entryCount, addressAt, [&](std::size_t i) {
        heldBack_.Add(addressAt(i).address);
        // Kept at once, and taken back should the file fail.
        if (details_) {
            sources_.push_back(AddressOrigin{0, static_cast<std::uint32_t>(event.fileIndex),
                                             member_, entries[i].line});
            keys_.push_back(seen_->LastKey());
        }
    });
}

// The set forgets the addresses the stretch added.
void InMemoryDeduplicator::VoidStretch() {
    seen_->VoidStretch(stretchId_);
    heldBack_.Void(stretch_.heldBack);
    sources_.resize(stretch_.sources);
    keys_.resize(std::min(keys_.size(), stretch_.sources));
    foundInFile_ = stretch_.found;
}

void InMemoryDeduplicator::FileDone(FileTally tally) {
    Tell(tally);
    output_.FileRead(tally);
    ReleaseHeldBack();
}

void InMemoryDeduplicator::FileFailed(FileTally tally) {
    output_.FileRead(tally);
    VoidFile();
}

bool InMemoryDeduplicator::Finish(std::vector<AddressOrigin>& sources) {
    if (details_)
        sources = TakeSources();
    return true;
}

std::uint64_t InMemoryDeduplicator::MemoryInUse() const {
    return seen_->MemoryBytes() + heldBack_.MemoryBytes() +
           sources_.capacity() * sizeof(AddressOrigin) +
           keys_.capacity() * sizeof(AddressSet::KeyReference);
}

// From the hand-over on the set takes no more, and is not asked either: its
// keys go to the partitions first, as known, and every later occurrence
// after them, so a partition alone tells which of its addresses are new.
std::uint64_t InMemoryDeduplicator::HandOverKeys(PartitionedAddresses& to,
                                                 std::uint32_t fileIndex) const {
    auto handOver = [&](AddressSet::KeyReference reference, std::uint32_t index, bool held) {
        const std::string_view key = seen_->Key(reference);
        // Those held back go again should their file fail.
        to.AddKnown(key, seen_->Hash(key), index, held ? fileIndex : PartitionedAddresses::kGiven);
    };
    // Those of the stretch being read come last, so that it can still fail
    // alone.
    std::uint64_t stretchStart = 0;
    if (details_) {
        // Their later occurrences count in the details.
        for (std::size_t i = 0; i < keys_.size(); ++i) {
            if (i == stretch_.sources)
                stretchStart = to.Position();
            handOver(keys_[i], static_cast<std::uint32_t>(i), i >= keptBefore_);
        }
        if (stretch_.sources >= keys_.size())
            stretchStart = to.Position();
        return stretchStart;
    }
    const auto keyAt = [&](std::size_t i) {
        return i < heldBack_.size() ? heldBack_.KeyAt(i) : UINT32_MAX;
    };
    const AddressSet::KeyReference firstHeld = keyAt(0);
    const AddressSet::KeyReference firstOfStretch = keyAt(stretch_.heldBack);
    seen_->ForEachKey([&](AddressSet::KeyReference reference) {
        if (reference < firstOfStretch)
            handOver(reference, 0, reference >= firstHeld);
    });
    stretchStart = to.Position();
    seen_->ForEachKey([&](AddressSet::KeyReference reference) {
        if (reference >= firstOfStretch)
            handOver(reference, 0, true);
    });
    return stretchStart;
}

void InMemoryDeduplicator::Tell(FileTally& tally) const {
    tally.found = foundInFile_;
    tally.added = heldBack_.size();
}

// The file was read to its end: its new addresses go out.
void InMemoryDeduplicator::ReleaseHeldBack() {
    RunSummary& summary = output_.summary();
    summary.addressesFound += foundInFile_;
    summary.uniqueAddresses += heldBack_.size();
    heldBack_.ForEach([&](std::string_view address) { output_.Address(address); });
    heldBack_.Clear();
    foundInFile_ = 0;
    keptBefore_ = keys_.size();
}

// The file failed: the set forgets its new addresses and occurrences again.
void InMemoryDeduplicator::VoidFile() {
    seen_->VoidFile();
    heldBack_.Void();
    sources_.resize(keptBefore_);
    keys_.resize(keptBefore_);
    foundInFile_ = 0;
}

std::vector<AddressOrigin> InMemoryDeduplicator::TakeSources() {
    CountKept();
    return std::move(sources_);
}

// The counts are final only at the end: later files repeat earlier addresses.
void InMemoryDeduplicator::CountKept() {
    // The keys lie all over the set: their lines load ahead, several at once.
    constexpr std::size_t kAhead = 16;
    for (std::size_t i = 0; i < keys_.size(); ++i) {
        if (i + kAhead < keys_.size())
            seen_->PrefetchOccurrences(keys_[i + kAhead]);
        sources_[i].count = seen_->Occurrences(keys_[i]);
    }
}

} // namespace ornavex
