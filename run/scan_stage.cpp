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
    Scanner(const std::atomic<bool>& stop, BoundedQueue<ScanBatch>& queue)
        : stop_(stop), queue_(queue) {}

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
                textSize_ = text.size();
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
            pending_.text.clear();
            pending_.entries.clear();
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
        Push(ScanEvent::Kind::kEnd, 0);
        Send();
    }

private:
    void Collect(std::string_view address) {
        if (pending_.entries.capacity() == 0) {
            // A block's addresses take at most its size, a carried word aside:
            // one allocation each instead of a series of regrowths. Blocks
            // without addresses allocate nothing.
            pending_.text.reserve(textSize_);
            pending_.entries.reserve(textSize_ / 32);
        }
        pending_.entries.push_back({static_cast<std::uint32_t>(pending_.text.size()),
                                    static_cast<std::uint32_t>(address.size()),
                                    AddressSet::Hash(address)});
        pending_.text.append(address);
    }

    void Push(ScanEvent::Kind kind, std::size_t index) {
        pending_.kind = kind;
        pending_.fileIndex = index;
        batchBytes_ += pending_.text.size() + sizeof(ScanEvent);
        batch_.push_back(std::move(pending_));
        pending_ = ScanEvent{};
        if (batch_.size() >= kBatchEvents || batchBytes_ >= kBatchBytes)
            Send();
    }

    void Send() {
        queue_.Push(std::move(batch_));
        batch_ = ScanBatch{};
        batchBytes_ = 0;
    }

    const std::atomic<bool>& stop_;
    BoundedQueue<ScanBatch>& queue_;
    ScanEvent pending_;
    ScanBatch batch_;
    std::size_t batchBytes_ = 0;
    std::size_t textSize_ = 0; // of the block being scanned, decoded
};

} // namespace

void ScanInputs(const std::vector<InputSource>& inputs, ScanShare share, std::size_t blockSize,
                const std::atomic<bool>& stop, BoundedQueue<ScanBatch>& queue) {
    Scanner scanner(stop, queue);
    try {
        scanner.ScanFiles(inputs, share, blockSize);
    } catch (...) {
        // Out of memory while queueing: end the run with what was sent.
    }
    scanner.End();
}

} // namespace ornavex
