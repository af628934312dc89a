#include "run/removal_run.h"

#include "engine/address_set.h"
#include "engine/new_address_filter.h"
#include "os/scratch_file.h"
#include "os/system_memory.h"
#include "run/file_reader.h"
#include "run/held_back.h"
#include "run/read_stage.h"
#include "run/spilled_addresses.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <deque>
#include <exception>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <thread>

namespace ornavex {
namespace {

constexpr std::size_t kQueuedBatches = 8;
constexpr std::size_t kMaxSpareBatchText = 1 << 20;
// Past this much memory the address set takes no more addresses: the others
// are de-duplicated in partitions, each in a set a fraction of the size,
// after the last file. One large set would wait on memory for each lookup.
constexpr std::uint64_t kPartitionedFrom = std::uint64_t{256} << 20;

// The run: reading threads take the files in turn (the first file, the
// next, ... each thread every n-th) and find their valid addresses; this
// thread de-duplicates them in list order and talks to the sink, so every
// hook is called on the thread that called RunRemoval.
class Run {
public:
    Run(const std::vector<InputSource>& inputs, RunSink& sink, const ReadSettings& settings,
        std::uint64_t memoryLimit, std::filesystem::path temporaryFolder,
        std::size_t readingThreads, bool details)
        : inputs_(inputs), sink_(sink), settings_(settings),
          // Only the details count occurrences.
          seen_(std::make_unique<AddressSet>(settings.hashSeed, AddressSet::kMaxChunkBytes,
                                             details ? AddressSet::Counting::kOn
                                                     : AddressSet::Counting::kOff)),
          wantDetails_(details), memoryLimit_(memoryLimit),
          temporaryFolder_(std::move(temporaryFolder)) {
        progress_.fileCount = inputs.size();
        // Standard input can be read by one thread only.
        const bool readsStandardInput = std::any_of(
            inputs.begin(), inputs.end(), [](const InputSource& in) { return in.standardInput; });
        const std::size_t threads =
            readsStandardInput ? 1 : std::clamp<std::size_t>(inputs.size(), 1, readingThreads);
        while (channels_.size() < threads)
            channels_.emplace_back();
    }

    ~Run() {
        // Whatever way this thread leaves, the reading threads must end too.
        stop_.store(true);
        for (Channel& channel : channels_) {
            channel.queues.full.Close();
            channel.queues.spare.Close();
        }
        for (Channel& channel : channels_)
            if (channel.reader.joinable())
                channel.reader.join();
    }

    RunSummary Execute() {
        if (inputs_.empty()) {
            sink_.Notice(kNoFilesMessage);
            return summary_;
        }
        for (std::size_t i = 0; i < channels_.size(); ++i) {
            Channel& channel = channels_[i];
            channel.reader = std::thread([this, &channel, i] {
                ReadInputs(inputs_, ReadShare{i, channels_.size()}, settings_, stop_,
                           channel.queues);
            });
        }
        for (std::size_t file = 0; file < inputs_.size(); ++file) {
            Channel& channel = channels_[file % channels_.size()];
            for (;;) {
                ReadEvent* event = NextEvent(channel);
                if (event == nullptr || event->kind == ReadEvent::Kind::kAborted) {
                    Fail(event != nullptr ? event->error : "The run ended unfinished", file);
                    return summary_;
                }
                if (event->kind == ReadEvent::Kind::kEnd)
                    return summary_; // the reading threads saw the stop
                if (!HandleOrReport(*event, channel.batch))
                    return summary_;
                if (event->kind == ReadEvent::Kind::kFileDone ||
                    event->kind == ReadEvent::Kind::kFileFailed)
                    break;
            }
            if (summary_.stopped)
                return summary_;
        }
        if (spilled_ && !ResolveSpilledOrReport())
            return summary_;
        if (wantDetails_)
            GiveDetails();
        if (keepSet_ != nullptr && !spilled_ && seen_)
            *keepSet_ = std::move(seen_);
        return summary_;
    }

    void KeepSetIn(std::unique_ptr<AddressSet>* keep) { keepSet_ = keep; }

private:
    // A reading thread and the events it sent that this thread has yet to handle.
    struct Channel {
        ReadChannel queues{kQueuedBatches};
        std::thread reader;
        EventParcel batch;
        std::size_t next = 0; // into batch.events
    };

    ReadEvent* NextEvent(Channel& channel) {
        while (channel.next == channel.batch.events.size()) {
            std::optional<EventParcel> batch = channel.queues.full.Pop();
            if (!batch)
                return nullptr;
            // The handled batch goes back to be filled again, unless an
            // unusually long address left it holding much memory.
            if (channel.batch.text.capacity() <= kMaxSpareBatchText) {
                channel.batch.Clear();
                channel.queues.spare.TryPush(std::move(channel.batch));
            }
            channel.batch = std::move(*batch);
            channel.next = 0;
        }
        return &channel.batch.events[channel.next++];
    }

    // Handles the event; false when that failed (the address set could not
    // grow, say) and the run cannot go on. The failure is reported, and the
    // run ends marked as failed.
    bool HandleOrReport(const ReadEvent& event, const EventParcel& batch) {
        std::string reason;
        std::size_t fileIndex = event.fileIndex;
        try {
            Handle(event, batch);
            return true;
        } catch (const std::bad_alloc&) {
            reason = "Out of memory";
        } catch (const TemporaryDataError& e) {
            reason = e.what();
            fileIndex = kNoFile; // the reason names the folder; the file is not at fault
        } catch (const std::exception& e) {
            reason = e.what();
        }
        Fail(reason, fileIndex);
        return false;
    }

    static constexpr std::size_t kNoFile = SIZE_MAX;
    void Fail(const std::string& reason, std::size_t fileIndex) {
        stop_.store(true);
        summary_.failed = true;
        sink_.Error(ErrorReport{RunStep::kReadFile, reason,
                                fileIndex < inputs_.size() ? inputs_[fileIndex].DisplayName()
                                                           : std::string()});
    }

    void Handle(const ReadEvent& event, const EventParcel& batch) {
        progress_.fileIndex = event.fileIndex;
        progress_.current = &inputs_[event.fileIndex];
        progress_.bytesDone += event.bytes;
        if (summary_.stopped)
            return; // what the reading threads sent before they saw the stop
        summary_.bytesRead += event.bytes;
        switch (event.kind) {
        case ReadEvent::Kind::kFileStart:
            fileGroup_ = ++group_;
            StartStretch();
            member_ = 0;
            failedParts_.clear();
            ReportProgress();
            break;
        case ReadEvent::Kind::kMember:
            ++group_;
            StartStretch();
            if (wantDetails_)
                member_ = MemberIndex(event.member);
            break;
        case ReadEvent::Kind::kPartFailed:
            VoidStretch();
            ++summary_.partsFailed;
            failedParts_.push_back(event.member);
            sink_.Error(
                ErrorReport{RunStep::kReadFile,
                            event.member.empty() ? event.error : event.member + ": " + event.error,
                            progress_.current->DisplayName()});
            break;
        case ReadEvent::Kind::kAddresses:
            AddNew(event, batch);
            ReportProgress();
            break;
        case ReadEvent::Kind::kFileDone: {
            AddNew(event, batch);
            ++summary_.filesRead;
            summary_.partsRead += event.parts;
            const FileTally tally{event.fileIndex, foundInFile_, heldBack_.size(), false,
                                  std::move(failedParts_)};
            // What a file added on disk is known only at the end.
            if (spilled_)
                spilledTallies_.push_back(tally);
            else
                sink_.FileRead(tally);
            AppendHeldBack();
            break;
        }
        case ReadEvent::Kind::kFileFailed:
            ++summary_.filesFailed;
            // Told in file order, after those of the files read before.
            if (spilled_)
                spilledTallies_.push_back(FileTally{event.fileIndex, 0, 0, true, {}});
            else
                sink_.FileRead(FileTally{event.fileIndex, 0, 0, true, {}});
            if (seen_)
                seen_->VoidFile();
            if (spilled_)
                spilled_->Void(static_cast<std::uint32_t>(event.fileIndex));
            GiveBackHeldBack();
            sink_.Error(
                ErrorReport{RunStep::kReadFile, event.error, progress_.current->DisplayName()});
            break;
        case ReadEvent::Kind::kEnd:
        case ReadEvent::Kind::kAborted:
            break;
        }
    }

    // Adds every address of the event that is new to the run to the set, in
    // text order, and holds it back until its file has been read to the end.
    void AddNew(const ReadEvent& event, const EventParcel& batch) {
        if (spilled_) {
            Spill(event, batch);
            return;
        }
        lookups_.clear();
        for (std::size_t i = 0; i < event.entryCount; ++i) {
            const FoundAddress& entry = batch.entries[event.firstEntry + i];
            lookups_.push_back({batch.Address(entry), entry.hash});
        }
        foundInFile_ += event.entryCount;
        InsertNewInOrder(*seen_, lookups_, [&](std::size_t i) {
            heldBack_.Add(lookups_[i].address);
            // Kept at once, and taken back should the file fail.
            if (wantDetails_) {
                details_.sources.push_back(
                    AddressSource{0, static_cast<std::uint32_t>(event.fileIndex), member_,
                                  batch.entries[event.firstEntry + i].line});
                keys_.push_back(seen_->LastKey());
            }
        });
        const std::uint64_t used = MemoryInUse();
        if (used > std::min(memoryLimit_, kPartitionedFrom))
            StartSpilling(static_cast<std::uint32_t>(event.fileIndex),
                          memoryLimit_ > used ? memoryLimit_ - used : 0);
    }

    // From now on the set takes no more, and is not asked either: its keys
    // go to the partitions first, as known, and every later occurrence after
    // them, so a partition alone tells which of its addresses are new.
    void StartSpilling(std::uint32_t fileIndex, std::uint64_t memoryBudget) {
        spilled_ = std::make_unique<SpilledAddresses>(temporaryFolder_.empty() ? TemporaryFolder()
                                                                               : temporaryFolder_,
                                                      seen_->seed(), wantDetails_, memoryBudget);
        auto handOver = [&](AddressSet::KeyReference reference, std::uint32_t index, bool held) {
            const std::string_view key = seen_->Key(reference);
            // Those held back go again should their file fail.
            spilled_->AddKnown(key, seen_->Hash(key), index,
                               held ? fileIndex : SpilledAddresses::kGiven);
        };
        // Those of the stretch being read come last, so that it can still
        // fail alone.
        if (wantDetails_) {
            // Their later occurrences count in the details.
            for (std::size_t i = 0; i < keys_.size(); ++i) {
                if (i == stretch_.sources)
                    stretch_.position = spilled_->Position();
                handOver(keys_[i], static_cast<std::uint32_t>(i), i >= keptBefore_);
            }
            if (stretch_.sources >= keys_.size())
                stretch_.position = spilled_->Position();
        } else {
            const auto keyAt = [&](std::size_t i) {
                return i < heldBack_.size() ? heldBack_.KeyAt(i) : UINT32_MAX;
            };
            const AddressSet::KeyReference firstHeld = keyAt(0);
            const AddressSet::KeyReference firstOfStretch = keyAt(stretch_.heldBack);
            seen_->ForEachKey([&](AddressSet::KeyReference reference) {
                if (reference < firstOfStretch)
                    handOver(reference, 0, reference >= firstHeld);
            });
            stretch_.position = spilled_->Position();
            seen_->ForEachKey([&](AddressSet::KeyReference reference) {
                if (reference >= firstOfStretch)
                    handOver(reference, 0, true);
            });
        }
    }

    // What the set and what hangs on it take.
    std::uint64_t MemoryInUse() const {
        constexpr std::size_t kHeldBackBytes = 16; // an entry and its letter-case mask
        return seen_->MemoryBytes() + heldBack_.size() * kHeldBackBytes +
               details_.sources.capacity() * sizeof(AddressSource) +
               keys_.capacity() * sizeof(AddressSet::KeyReference);
    }

    // Every occurrence goes to its partition, to be de-duplicated at the end.
    void Spill(const ReadEvent& event, const EventParcel& batch) {
        const auto fileIndex = static_cast<std::uint32_t>(event.fileIndex);
        for (std::size_t i = 0; i < event.entryCount; ++i) {
            const FoundAddress& entry = batch.entries[event.firstEntry + i];
            spilled_->Add(batch.Address(entry), entry.hash,
                          OccurrenceSource{fileIndex, member_, entry.line});
        }
        foundInFile_ += event.entryCount;
        progress_.diskBytes = summary_.diskBytes = spilled_->DiskBytes();
    }

    // After the last file: the partitions are de-duplicated and their
    // addresses given in the order they were first found, after those of
    // the set. False when the run was stopped or failed.
    bool ResolveSpilledOrReport() {
        std::string reason;
        std::size_t fileIndex = inputs_.size() - 1;
        try {
            return ResolveSpilled();
        } catch (const std::bad_alloc&) {
            reason = "Out of memory";
        } catch (const TemporaryDataError& e) {
            reason = e.what();
            fileIndex = kNoFile;
        } catch (const std::exception& e) {
            reason = e.what();
        }
        Fail(reason, fileIndex);
        return false;
    }

    bool ResolveSpilled() {
        if (wantDetails_)
            CountKept();
        // The set is done with: its memory goes to the partitions.
        heldBack_.Clear();
        spilled_->AddBudget(seen_->MemoryBytes());
        seen_.reset();
        std::vector<std::uint64_t> addedByFile(inputs_.size());
        // A sink that takes the sources with the addresses keeps them out of
        // this run's memory.
        const bool late = wantDetails_ && sink_.TakesLateSources();
        const bool finished = spilled_->Resolve(
            [&](std::string_view address, std::uint64_t count, const OccurrenceSource& source) {
                ++summary_.uniqueAddresses;
                ++addedByFile[source.fileIndex];
                const AddressSource where{count, source.fileIndex, source.member, source.line};
                if (late) {
                    Append(address, &where);
                    return;
                }
                if (wantDetails_)
                    details_.sources.push_back(where);
                Append(address);
            },
            [&](std::uint32_t index, std::uint64_t count) {
                details_.sources[index].count += count;
            },
            [&](std::size_t done, std::size_t total) {
                progress_.diskPartsDone = done;
                progress_.diskParts = total;
                progress_.diskBytes = spilled_->DiskBytes();
                ReportProgress();
                return !summary_.stopped;
            });
        summary_.diskBytes = spilled_->DiskBytes();
        spilled_.reset();
        if (!finished)
            return false;
        for (FileTally& tally : spilledTallies_) {
            tally.added += addedByFile[tally.fileIndex];
            sink_.FileRead(tally);
        }
        return true;
    }

    // The file was read to its end: its new addresses go out.
    void AppendHeldBack() {
        summary_.addressesFound += foundInFile_;
        summary_.uniqueAddresses += heldBack_.size();
        heldBack_.ForEach([&](std::string_view address) { Append(address); });
        heldBack_.Clear();
        foundInFile_ = 0;
        keptBefore_ = keys_.size();
    }

    // The file failed: the set forgets its new addresses again.
    void GiveBackHeldBack() {
        heldBack_.GiveBack();
        details_.sources.resize(keptBefore_);
        keys_.resize(keptBefore_);
        foundInFile_ = 0;
    }

    // Each stretch of a file (its own text, or one member) is counted in a
    // group of its own, so a member that fails can take its addresses back.
    void StartStretch() {
        if (seen_)
            seen_->SetGroup(group_, fileGroup_);
        stretch_ = Stretch{heldBack_.size(), details_.sources.size(), foundInFile_,
                           spilled_ ? spilled_->Position() : 0};
    }

    // The stretch failed: the set forgets the addresses it added, and the
    // partitions the occurrences it gave.
    void VoidStretch() {
        if (spilled_)
            spilled_->VoidSince(stretch_.position);
        seen_->VoidGroup(group_);
        heldBack_.GiveBack(stretch_.heldBack);
        details_.sources.resize(stretch_.sources);
        keys_.resize(std::min(keys_.size(), stretch_.sources));
        foundInFile_ = stretch_.found;
    }

    std::uint32_t MemberIndex(const std::string& path) {
        if (path.empty())
            return 0;
        if (details_.members.back() != path)
            details_.members.push_back(path);
        return static_cast<std::uint32_t>(details_.members.size() - 1);
    }

    // The counts are final only now: later files repeat earlier addresses.
    void GiveDetails() {
        CountKept();
        sink_.Details(std::move(details_));
    }

    // The counts of the addresses the set holds.
    void CountKept() {
        if (!seen_)
            return; // counted before the set went
        // The keys lie all over the set: their lines load ahead, several at once.
        constexpr std::size_t kAhead = 16;
        for (std::size_t i = 0; i < keys_.size(); ++i) {
            if (i + kAhead < keys_.size())
                seen_->PrefetchOccurrences(keys_[i + kAhead]);
            details_.sources[i].count = seen_->Occurrences(keys_[i]);
        }
    }

    void Append(std::string_view address, const AddressSource* source = nullptr) {
        try {
            if (source != nullptr)
                sink_.AddressWithSource(address, *source);
            else
                sink_.Address(address);
        } catch (const std::bad_alloc&) {
            throw; // the run cannot go on
        } catch (const std::exception& e) {
            sink_.Error(
                ErrorReport{RunStep::kAppendResult, e.what(), progress_.current->DisplayName()});
        }
    }

    void ReportProgress() {
        if (!sink_.Progress(progress_)) {
            summary_.stopped = true;
            stop_.store(true);
        }
    }

    const std::vector<InputSource>& inputs_;
    RunSink& sink_;
    ReadSettings settings_;
    std::deque<Channel> channels_; // never moved: the threads hold references
    std::atomic<bool> stop_{false};
    std::unique_ptr<AddressSet> seen_; // until the addresses on disk are resolved
    HeldBack heldBack_{*seen_};        // the new addresses of the file being read
    std::uint64_t foundInFile_ = 0;    // its addresses so far, repeats included
    std::vector<HashedAddress> lookups_;
    // With details: the sources of the addresses given and held back.
    const bool wantDetails_;
    RunDetails details_;
    std::vector<AddressSet::KeyReference> keys_; // of the addresses with sources
    std::size_t keptBefore_ = 0;                 // sources of the files before this one
    std::uint32_t member_ = 0;
    // Where the stretch being read started: what was held back, kept and
    // found before it, and its first occurrence past the switch.
    struct Stretch {
        std::size_t heldBack = 0;
        std::size_t sources = 0;
        std::uint64_t found = 0;
        std::uint64_t position = 0;
    };
    Stretch stretch_;
    std::uint32_t group_ = 0;     // of the stretch being read
    std::uint32_t fileGroup_ = 0; // the first of its file
    std::vector<std::string> failedParts_;
    RunSummary summary_;
    RunProgress progress_;
    // Past the memory limit: the addresses the set does not hold, and the
    // tallies of the files read since, told once those are resolved.
    std::uint64_t memoryLimit_;
    std::filesystem::path temporaryFolder_;
    std::unique_ptr<SpilledAddresses> spilled_;
    std::vector<FileTally> spilledTallies_;
    std::unique_ptr<AddressSet>* keepSet_ = nullptr;
};

} // namespace

std::uint64_t ChooseHashSeed() {
    if (const char* fixed = std::getenv("ORNAVEX_HASH_SEED"))
        return std::strtoull(fixed, nullptr, 0);
    std::random_device random;
    return (std::uint64_t{random()} << 32) ^ random();
}

std::uint64_t DefaultMemoryLimit() {
    const std::uint64_t ceiling = MemoryCeilingBytes();
    return ceiling == 0 ? UINT64_MAX : ceiling / 2;
}

std::size_t ReadingThreads() {
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, kMostReadingThreads);
}

RunSummary RunRemoval(const std::vector<InputSource>& inputs, RunSink& sink,
                      const RunOptions& options) {
    ReadSettings settings;
    settings.blockSize = options.blockSize == 0 ? kReadBlockSize : options.blockSize;
    settings.hashSeed = options.hashSeed ? *options.hashSeed : ChooseHashSeed();
    settings.batchReads = options.batchReads;
    settings.readInside = options.readInside;
    settings.classicPattern = options.classicPattern;
    settings.lines = options.details && options.lines;
    Run run(inputs, sink, settings,
            options.memoryLimit != 0 ? options.memoryLimit : DefaultMemoryLimit(),
            options.temporaryFolder,
            options.readingThreads != 0 ? options.readingThreads : ReadingThreads(),
            options.details);
    run.KeepSetIn(options.keepSet);
    return run.Execute();
}

} // namespace ornavex
