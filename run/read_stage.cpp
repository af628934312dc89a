#include "run/read_stage.h"

#include "engine/address_set.h"
#include "engine/block_finder.h"
#include "run/file_reader.h"
#include "run/text_decoder.h"
#include "run/whole_file_batch.h"

#include <exception>
#include <new>
#include <optional>
#include <string_view>

namespace ornavex {
namespace {

std::string ReadAgainError(const BlockReader& reader) {
    return reader.error().empty() ? std::string("The file changed while it was read")
                                  : reader.error();
}

// Small enough that the other reading thread's files are not held up long.
constexpr std::size_t kBatchEvents = 64;
constexpr std::size_t kBatchBytes = 64 << 10;

class InputReader {
public:
    InputReader(const std::atomic<bool>& stop, ReadChannel& channel, std::uint64_t seed)
        : stop_(stop), channel_(channel), seed_(seed) {}

    // Reads the file and finds its addresses, from its whole contents when they were read already.
    // False when the run was stopped.
    bool ReadFile(std::size_t index, const InputSource& source, std::size_t blockSize,
                  std::optional<std::string_view> contents) {
        Push(ReadEvent::Kind::kFileStart, index);
        BlockReader reader(blockSize);
        TextDecoder decoder;
        // A long word's text, read again: from the contents at hand, or from
        // the file, where it can be read twice.
        struct Rereadable : BlockFinder::Rereadable {
            Rereadable(BlockReader& reader, TextDecoder& decoder,
                       std::optional<std::string_view> contents)
                : reader(reader), decoder(decoder), contents(contents) {}
            bool ReadAgain(std::uint64_t offset, std::size_t length, std::string& out) override {
                const std::optional<TextDecoder::RawRange> range =
                    decoder.RawRangeOf(offset, length);
                if (!range)
                    return false;
                if (contents) {
                    if (range->offset + range->length > contents->size())
                        return false;
                    raw.assign(contents->substr(range->offset, range->length));
                } else if (!reader.ReadAgain(range->offset, range->length, raw)) {
                    return false;
                }
                decoder.DecodeDetached(raw, out);
                return true;
            }
            BlockReader& reader;
            TextDecoder& decoder;
            std::optional<std::string_view> contents;
            std::string raw;
        } rereadable(reader, decoder, contents);
        BlockFinder finder([this](std::string_view address) { Collect(address); },
                           contents || !source.standardInput ? &rereadable : nullptr);
        std::string error;
        bool stopped = false;
        auto take = [&](std::string_view block) {
            if (!finder.Feed(decoder.Decode(block))) {
                error = ReadAgainError(reader);
                return false;
            }
            pending_.bytes += block.size();
            Push(ReadEvent::Kind::kAddresses, index);
            stopped = stop_.load(std::memory_order_relaxed);
            return !stopped;
        };
        if (contents) {
            // As a read of it would: one block, none for an empty file.
            if (!contents->empty())
                take(*contents);
        } else if (!reader.Open(source)) {
            error = reader.error();
        } else {
            std::string_view block;
            while (error.empty() && !stopped) {
                if (!reader.Next(block)) {
                    error = reader.error();
                    break;
                }
                if (block.empty())
                    break;
                take(block);
            }
        }
        if (stopped)
            return false;
        // The last word goes out with kFileDone.
        if (error.empty() && (!finder.Feed(decoder.Finish()) || !finder.Finish()))
            error = ReadAgainError(reader);
        if (!error.empty()) {
            pending_.error = error;
            DropPendingAddresses();
        }
        Push(error.empty() ? ReadEvent::Kind::kFileDone : ReadEvent::Kind::kFileFailed, index);
        return true;
    }

    // Reads the inputs of the share in order, reading small files in
    // batches when asked to; returns early when the run was stopped.
    void ReadFiles(const std::vector<InputSource>& inputs, ReadShare share, std::size_t blockSize,
                   bool batchReads) {
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
            if (batchReads)
                batch.Load(sources);
            for (std::size_t k = 0; k < indexes.size(); ++k) {
                if (stop_.load(std::memory_order_relaxed) ||
                    !ReadFile(indexes[k], inputs[indexes[k]], blockSize, batch.Contents(k)))
                    return;
            }
        }
    }

    void End() {
        pending_.kind = ReadEvent::Kind::kEnd;
        batch_.events.push_back(std::move(pending_));
        channel_.full.Push(std::move(batch_));
    }

    // Tells the de-duplicating thread that this thread cannot go on.
    void Abort(std::string reason) {
        EventParcel last;
        last.events.push_back(ReadEvent{});
        last.events.back().kind = ReadEvent::Kind::kAborted;
        last.events.back().error = std::move(reason);
        channel_.full.Push(std::move(last));
    }

private:
    void Collect(std::string_view address) {
        batch_.entries.push_back({static_cast<std::uint32_t>(batch_.text.size()),
                                  static_cast<std::uint32_t>(address.size()),
                                  AddressSet::Hash(address, seed_)});
        batch_.text.append(address);
        ++pending_.entryCount;
    }

    void DropPendingAddresses() {
        batch_.entries.resize(pending_.firstEntry);
        batch_.text.resize(pendingText_);
        pending_.entryCount = 0;
    }

    void Push(ReadEvent::Kind kind, std::size_t index) {
        pending_.kind = kind;
        pending_.fileIndex = index;
        batch_.events.push_back(std::move(pending_));
        if (batch_.events.size() >= kBatchEvents || batch_.text.size() >= kBatchBytes)
            Send();
        StartEvent();
    }

    void StartEvent() {
        pending_ = ReadEvent{};
        pending_.firstEntry = batch_.entries.size();
        pendingText_ = batch_.text.size();
    }

    void Send() {
        channel_.full.Push(std::move(batch_));
        // A batch handled already comes back with its memory, so a long run
        // allocates for its first few batches only.
        std::optional<EventParcel> spare = channel_.spare.TryPop();
        batch_ = spare ? std::move(*spare) : EventParcel{};
        batch_.Clear();
    }

    const std::atomic<bool>& stop_;
    ReadChannel& channel_;
    std::uint64_t seed_;
    EventParcel batch_;
    ReadEvent pending_;
    std::size_t pendingText_ = 0; // where the pending event's addresses start in the batch text
};

} // namespace

void ReadInputs(const std::vector<InputSource>& inputs, ReadShare share,
                const ReadSettings& settings, const std::atomic<bool>& stop, ReadChannel& channel) {
    InputReader reader(stop, channel, settings.hashSeed);
    std::string failure;
    try {
        reader.ReadFiles(inputs, share, settings.blockSize, settings.batchReads);
        reader.End();
        return;
    } catch (const std::bad_alloc&) {
        failure = "Out of memory";
    } catch (const std::exception& e) {
        failure = e.what();
    }
    try {
        reader.Abort(std::move(failure));
    } catch (...) {
        channel.full.Close(); // the other side then sees the run end unfinished
    }
}

} // namespace ornavex
