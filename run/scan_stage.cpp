#include "run/scan_stage.h"

#include "engine/address_scanner.h"
#include "engine/address_set.h"
#include "run/file_reader.h"
#include "run/text_decoder.h"
#include "run/whole_file_batch.h"

#include <exception>
#include <optional>
#include <string_view>

namespace ornavex {
namespace {

// Small enough that the other scanning thread's files are not held up long.
constexpr std::size_t kBatchEvents = 64;
constexpr std::size_t kBatchBytes = 64 << 10;

class Scanner {
public:
    Scanner(const std::atomic<bool>& stop, ScanChannel& channel) : stop_(stop), channel_(channel) {}

    // Scans the file, from its whole contents when they were read already.
    // False when the run was stopped.
    bool ScanFile(std::size_t index, const InputSource& source, std::size_t blockSize,
                  std::optional<std::string_view> contents) {
        Push(ScanEvent::Kind::kFileStart, index);
        AddressScanner scanner([&](std::string_view address) { Collect(address); });
        TextDecoder decoder;
        ReadOutcome outcome;
        try {
            auto onBlock = [&](std::string_view block) {
                const std::string_view text = decoder.Decode(block);
                scanner.Feed(text);
                pending_.bytes += block.size();
                Push(ScanEvent::Kind::kAddresses, index);
                return !stop_.load(std::memory_order_relaxed);
            };
            if (contents) {
                // As a read of it would: one block, none for an empty file.
                outcome.bytesRead = contents->size();
                outcome.stopped = !contents->empty() && !onBlock(*contents);
            } else {
                outcome = ReadFileBlocks(source, blockSize, onBlock);
            }
            if (outcome.ok && !outcome.stopped) {
                scanner.Feed(decoder.Finish());
                scanner.Finish(); // the last word goes out with kFileDone
            }
        } catch (const std::exception& e) {
            outcome.ok = false;
            outcome.error = e.what();
        }
        if (outcome.stopped)
            return false;
        if (!outcome.ok) {
            pending_.error = outcome.error;
            DropPendingAddresses();
        }
        Push(outcome.ok ? ScanEvent::Kind::kFileDone : ScanEvent::Kind::kFileFailed, index);
        return true;
    }

    // Scans the inputs of the share in order, reading small files in
    // batches; returns early when the run was stopped.
    void ScanFiles(const std::vector<InputSource>& inputs, ScanShare share, std::size_t blockSize) {
        WholeFileBatch batch(blockSize);
        std::vector<const InputSource*> sources;
        std::vector<std::size_t> indexes;
        for (std::size_t next = share.first; next < inputs.size();) {
            sources.clear();
            indexes.clear();
            for (; next < inputs.size() && indexes.size() < WholeFileBatch::kMaxFiles;
                 next += share.stride) {
                sources.push_back(&inputs[next]);
                indexes.push_back(next);
            }
            batch.Load(sources);
            for (std::size_t k = 0; k < indexes.size(); ++k) {
                if (stop_.load(std::memory_order_relaxed) ||
                    !ScanFile(indexes[k], inputs[indexes[k]], blockSize, batch.Contents(k)))
                    return;
            }
        }
    }

    void End() {
        pending_.kind = ScanEvent::Kind::kEnd;
        batch_.events.push_back(std::move(pending_));
        channel_.full.Push(std::move(batch_));
    }

private:
    void Collect(std::string_view address) {
        batch_.entries.push_back({static_cast<std::uint32_t>(batch_.text.size()),
                                  static_cast<std::uint32_t>(address.size()),
                                  AddressSet::Hash(address)});
        batch_.text.append(address);
        ++pending_.entryCount;
    }

    void DropPendingAddresses() {
        batch_.entries.resize(pending_.firstEntry);
        batch_.text.resize(pendingText_);
        pending_.entryCount = 0;
    }

    void Push(ScanEvent::Kind kind, std::size_t index) {
        pending_.kind = kind;
        pending_.fileIndex = index;
        batch_.events.push_back(std::move(pending_));
        if (batch_.events.size() >= kBatchEvents || batch_.text.size() >= kBatchBytes)
            Send();
        StartEvent();
    }

    void StartEvent() {
        pending_ = ScanEvent{};
        pending_.firstEntry = batch_.entries.size();
        pendingText_ = batch_.text.size();
    }

    void Send() {
        channel_.full.Push(std::move(batch_));
        // A batch handled already comes back with its memory, so a long run
        // allocates for its first few batches only.
        std::optional<ScanBatch> spare = channel_.spare.TryPop();
        batch_ = spare ? std::move(*spare) : ScanBatch{};
        batch_.Clear();
    }

    const std::atomic<bool>& stop_;
    ScanChannel& channel_;
    ScanBatch batch_;
    ScanEvent pending_;
    std::size_t pendingText_ = 0; // where the pending event's addresses start in the batch text
};

} // namespace

void ScanInputs(const std::vector<InputSource>& inputs, ScanShare share, std::size_t blockSize,
                const std::atomic<bool>& stop, ScanChannel& channel) {
    Scanner scanner(stop, channel);
    try {
        scanner.ScanFiles(inputs, share, blockSize);
    } catch (...) {
        // Out of memory while queueing: end the run with what was sent.
    }
    scanner.End();
}

} // namespace ornavex
