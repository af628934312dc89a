#include "run/removal_run.h"

#include "engine/address_set.h"
#include "engine/new_address_filter.h"
#include "run/file_reader.h"
#include "run/scan_stage.h"

#include <atomic>
#include <exception>
#include <thread>

namespace ornavex {
namespace {

constexpr std::size_t kQueuedBatches = 8;

// The run on two threads: a scanning thread reads the files and finds their
// valid addresses; this thread de-duplicates them in order and talks to the
// hooks, so every hook is called on the thread that called RunRemoval.
class Run {
public:
    Run(const std::vector<InputSource>& inputs, RunHooks& hooks, std::size_t blockSize)
        : inputs_(inputs), hooks_(hooks), blockSize_(blockSize), queue_(kQueuedBatches) {
        progress_.fileCount = inputs.size();
    }

    ~Run() {
        // Whatever way this thread leaves, the scanning thread must end too.
        stop_.store(true);
        queue_.Close();
        if (scanner_.joinable())
            scanner_.join();
    }

    RunSummary Execute() {
        if (inputs_.empty()) {
            hooks_.ShowMessage(kNoFilesMessage);
            return summary_;
        }
        scanner_ = std::thread([this] { ScanInputs(inputs_, blockSize_, stop_, queue_); });
        while (std::optional<ScanBatch> batch = queue_.Pop()) {
            for (ScanEvent& event : *batch) {
                if (event.kind == ScanEvent::Kind::kEnd)
                    return summary_;
                Handle(event);
            }
        }
        return summary_;
    }

private:
    void Handle(ScanEvent& event) {
        progress_.fileIndex = event.fileIndex;
        progress_.current = &inputs_[event.fileIndex];
        progress_.bytesDone = event.bytesDone;
        if (summary_.stopped)
            return; // drain what the scanner sent before it saw the stop
        switch (event.kind) {
        case ScanEvent::Kind::kFileStart:
            YieldOrStop();
            break;
        case ScanEvent::Kind::kAddresses:
            AddNew(event);
            YieldOrStop();
            break;
        case ScanEvent::Kind::kFileDone:
            AddNew(event);
            ++summary_.filesRead;
            summary_.bytesRead += event.fileBytes;
            break;
        case ScanEvent::Kind::kFileFailed:
            ++summary_.filesFailed;
            summary_.bytesRead += event.fileBytes;
            hooks_.ShowErrorReport(ErrorReport{std::string(kStartLocation), kReadFileStatement,
                                               event.error, progress_.current->DisplayName()});
            break;
        case ScanEvent::Kind::kEnd:
            break;
        }
    }

    // Settles this thread's half of the addresses, then appends every new
    // one in text order.
    void AddNew(const ScanEvent& event) {
        const std::string_view text = event.text;
        batch_.clear();
        batchIndex_.clear();
        isNew_.assign(event.entries.size(), false);
        for (std::size_t i = 0; i < event.entries.size(); ++i) {
            const ScanEvent::Entry& entry = event.entries[i];
            if (entry.verdict == ScanEvent::Verdict::kForConsumer) {
                batch_.push_back({text.substr(entry.offset, entry.length), entry.hash});
                batchIndex_.push_back(i);
            } else {
                isNew_[i] = entry.verdict == ScanEvent::Verdict::kNew;
            }
        }
        InsertNewInOrder(seen_, batch_, [&](std::size_t b) { isNew_[batchIndex_[b]] = true; });
        summary_.addressesFound += event.entries.size();
        for (std::size_t i = 0; i < event.entries.size(); ++i) {
            if (!isNew_[i])
                continue;
            ++summary_.uniqueAddresses;
            Append(text.substr(event.entries[i].offset, event.entries[i].length));
        }
    }

    void Append(std::string_view address) {
        try {
            hooks_.AppendAddress(address);
        } catch (const std::exception& e) {
            hooks_.ShowErrorReport(ErrorReport{std::string(kStartLocation), kAppendResultStatement,
                                               e.what(), progress_.current->DisplayName()});
        }
    }

    void YieldOrStop() {
        if (!hooks_.Yield(progress_)) {
            summary_.stopped = true;
            stop_.store(true);
        }
    }

    const std::vector<InputSource>& inputs_;
    RunHooks& hooks_;
    std::size_t blockSize_;
    BoundedQueue<ScanBatch> queue_;
    std::atomic<bool> stop_{false};
    std::thread scanner_;
    AddressSet seen_; // this thread's half of the hashes
    std::vector<HashedAddress> batch_;
    std::vector<std::size_t> batchIndex_;
    std::vector<bool> isNew_;
    RunSummary summary_;
    RunProgress progress_;
};

} // namespace

RunSummary RunRemoval(const std::vector<InputSource>& inputs, RunHooks& hooks,
                      std::size_t blockSize) {
    return Run(inputs, hooks, blockSize == 0 ? kReadBlockSize : blockSize).Execute();
}

} // namespace ornavex
