#include "run/removal_run.h"

#include "engine/address_set.h"
#include "os/system_memory.h"
#include "os/temporary_file.h"
#include "run/block_reader.h"
#include "run/in_memory_deduplicator.h"
#include "run/partitioned_deduplicator.h"
#include "run/reader_pool.h"
#include "run/run_output.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <system_error>
#include <thread>

namespace ornavex {
namespace {

// Past this much memory the address set takes no more addresses: the others
// are de-duplicated in partitions, each in a set a fraction of the size,
// after the last file. One large set would wait on memory for each lookup.
constexpr std::uint64_t kPartitionedFrom = std::uint64_t{256} << 20;

// The run's event loop: the pool's reading threads find the addresses; this
// thread takes their events file after file in list order, passes them to
// the de-duplicator and talks to the sink, so every hook is called on the
// thread that called RunRemoval.
class Run {
public:
    Run(const std::vector<Input>& inputs, RunSink& sink, const ReadSettings& settings,
        const RunOptions& options)
        : inputs_(inputs), output_(inputs, sink), details_(options.details),
          memoryLimit_(options.memoryLimit), temporaryFolder_(options.temporaryFolder),
          keepSet_(options.keepSet), inMemory_(std::make_unique<InMemoryDeduplicator>(
                                         output_, settings.hashSeed, options.details)),
          dedup_(inMemory_.get()),
          pool_(inputs, settings,
                options.readingThreads != 0 ? options.readingThreads : ReadingThreads()) {}

    RunSummary Execute() {
        if (inputs_.empty()) {
            output_.sink().Notice(kNoFilesMessage);
            return output_.summary();
        }
        try {
            pool_.Start();
        } catch (const std::system_error& e) {
            // The threads that did start end with the pool.
            Fail(std::string("Cannot start the reading threads: ") + e.what(), SIZE_MAX);
            return output_.summary();
        }
        std::size_t file = 0; // the one being read
        Guarded(file, [&] {
            if (TakeEvents(file))
                Finish();
        });
        return output_.summary();
    }

private:
    // Takes the events of every file, file after file in list order; false
    // when the run ended early (stopped, or failed and reported).
    bool TakeEvents(std::size_t& file) {
        for (; file < inputs_.size(); ++file) {
            if (output_.summary().stopped)
                return false;
            for (;;) {
                const ReaderPool::Next next = pool_.NextEvent(file);
                const ReadEvent* event = next.event;
                if (event == nullptr || event->kind == ReadEvent::Kind::kAborted) {
                    Fail(event != nullptr ? event->error : "The run ended unfinished", file);
                    return false;
                }
                if (event->kind == ReadEvent::Kind::kEnd)
                    return false; // the reading threads saw the stop
                Handle(*event, *next.parcel);
                if (event->kind == ReadEvent::Kind::kFileDone ||
                    event->kind == ReadEvent::Kind::kFileFailed)
                    break;
            }
        }
        return !output_.summary().stopped;
    }

    void Finish() {
        std::vector<AddressOrigin> sources;
        if (!dedup_->Finish(sources))
            return;
        if (details_)
            output_.sink().Details(RunDetails{std::move(sources), std::move(members_)});
        if (keepSet_ != nullptr && inMemory_)
            *keepSet_ = inMemory_->TakeSet();
    }

    void Handle(const ReadEvent& event, const EventParcel& parcel) {
        RunSummary& summary = output_.summary();
        RunProgress& progress = output_.progress();
        progress.fileIndex = event.fileIndex;
        progress.current = &inputs_[event.fileIndex];
        progress.bytesDone += event.bytes;
        if (summary.stopped)
            return; // what the reading threads sent before they saw the stop
        summary.bytesRead += event.bytes;
        switch (event.kind) {
        case ReadEvent::Kind::kFileStart:
            dedup_->StartStretch(true, 0);
            failedParts_.clear();
            ReportProgress();
            break;
        case ReadEvent::Kind::kMember:
            dedup_->StartStretch(false, details_ ? MemberIndex(event.member) : 0);
            break;
        case ReadEvent::Kind::kPartFailed:
            dedup_->VoidStretch();
            ++summary.partsFailed;
            failedParts_.push_back(event.member);
            output_.Error(RunStep::kReadFile,
                          event.member.empty() ? event.error : event.member + ": " + event.error,
                          event.fileIndex);
            break;
        case ReadEvent::Kind::kAddresses:
            dedup_->Add(event, parcel);
            HandOverIfShort(event.fileIndex);
            ReportProgress();
            break;
        case ReadEvent::Kind::kFileDone:
            dedup_->Add(event, parcel);
            HandOverIfShort(event.fileIndex);
            ++summary.filesRead;
            summary.partsRead += event.parts;
            dedup_->FileDone(FileTally{event.fileIndex, 0, 0, false, std::move(failedParts_)});
            break;
        case ReadEvent::Kind::kFileFailed:
            ++summary.filesFailed;
            dedup_->FileFailed(FileTally{event.fileIndex, 0, 0, true, {}});
            output_.Error(RunStep::kReadFile, event.error, event.fileIndex);
            break;
        case ReadEvent::Kind::kEnd:
        case ReadEvent::Kind::kAborted:
            break;
        }
    }

    // The one hand-over: once the set and what hangs on it pass the memory
    // limit, the partitions take over from it, in the file being read.
    void HandOverIfShort(std::size_t fileIndex) {
        if (!inMemory_)
            return;
        const std::uint64_t used = inMemory_->MemoryInUse();
        if (memoryLimit_ == 0) {
            // Looking the limits up costs a short run a good part of its
            // start, and no default limit is below kLeastDefaultLimit.
            if (used <= kLeastDefaultLimit)
                return;
            memoryLimit_ = DefaultMemoryLimit();
        }
        if (used <= std::min(memoryLimit_, kPartitionedFrom))
            return;
        partitioned_ = std::make_unique<PartitionedDeduplicator>(
            std::move(inMemory_), output_, static_cast<std::uint32_t>(fileIndex),
            temporaryFolder_.empty() ? TemporaryFolder() : temporaryFolder_,
            memoryLimit_ > used ? memoryLimit_ - used : 0, details_);
        dedup_ = partitioned_.get();
    }

    // Does the step. Should it throw (the address set could not grow, say),
    // the run cannot go on: the failure is reported on the file being read,
    // and the run ends marked as failed.
    template <class Step> void Guarded(const std::size_t& file, Step&& step) {
        std::string reason;
        try {
            step();
            return;
        } catch (const std::bad_alloc&) {
            reason = "Out of memory";
        } catch (const TemporaryDataError& e) {
            Fail(e.what(), SIZE_MAX); // the reason names the folder; the file is not at fault
            return;
        } catch (const std::exception& e) {
            reason = e.what();
        }
        Fail(reason, std::min(file, inputs_.size() - 1)); // the last file, once all were read
    }

    void Fail(const std::string& reason, std::size_t fileIndex) {
        pool_.Stop();
        output_.summary().failed = true;
        output_.Error(RunStep::kReadFile, reason, fileIndex);
    }

    void ReportProgress() {
        if (!output_.Progress())
            pool_.Stop();
    }

    std::uint32_t MemberIndex(const std::string& path) {
        if (path.empty())
            return 0;
        if (members_.back() != path)
            members_.push_back(path);
        return static_cast<std::uint32_t>(members_.size() - 1);
    }

    const std::vector<Input>& inputs_;
    RunOutput output_;
    const bool details_;
    std::uint64_t memoryLimit_; // 0 until the set is large enough to ask
    std::filesystem::path temporaryFolder_;
    std::unique_ptr<AddressSet>* keepSet_;
    std::unique_ptr<InMemoryDeduplicator> inMemory_;       // until memory runs short
    std::unique_ptr<PartitionedDeduplicator> partitioned_; // from then on
    Deduplicator* dedup_;                                  // the one of the two in use
    std::vector<std::string> members_{""}; // with details: paths of members inside files
    std::vector<std::string> failedParts_; // of the file being read
    ReaderPool pool_;                      // first to go: its threads refer to the rest
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
    return ceiling == 0 ? UINT64_MAX : std::max(ceiling / 2, kLeastDefaultLimit);
}

std::size_t ReadingThreads() {
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 2, kMostReadingThreads);
}

RunSummary RunRemoval(const std::vector<Input>& inputs, RunSink& sink, const RunOptions& options) {
    ReadSettings settings;
    settings.blockSize = options.blockSize == 0 ? kReadBlockSize : options.blockSize;
    settings.hashSeed = options.hashSeed ? *options.hashSeed : ChooseHashSeed();
    settings.batchReads = options.batchReads;
    settings.readInside = options.readInside;
    settings.classicPattern = options.classicPattern;
    settings.lines = options.details && options.lines;
    Run run(inputs, sink, settings, options);
    return run.Execute();
}

} // namespace ornavex
