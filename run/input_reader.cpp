#include "run/input_reader.h"

#include "decode/decode_context.h"
#include "engine/address_set.h"
#include "engine/block_finder.h"
#include "run/block_reader.h"
#include "run/line_counter.h"
#include "run/whole_file_batch.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <string_view>

namespace ornavex {
namespace {

// Small enough that the other reading thread's files are not held up long.
constexpr std::size_t kParcelEvents = 64;
constexpr std::size_t kParcelBytes = 64 << 10;
// Decoded text between two looks at whether the run was stopped.
constexpr std::size_t kTextBetweenChecks = 256 << 10;
// A word of decoded text cannot be read again: one longer than this that
// could still become an address is given up rather than held.
constexpr std::size_t kDecodedWordBytes = 64 << 20;

// The bytes of one input: its contents, when a batch read them, or its
// blocks. Each block counts as read, and is a point where the run may stop.
class InputBytes : public ByteSource {
public:
    InputBytes(const Input& source, std::size_t blockSize, std::optional<std::string_view> contents,
               std::function<bool(std::size_t)> onBlock)
        : source_(source), reader_(blockSize), contents_(contents), onBlock_(std::move(onBlock)),
          whole_(contents.has_value()), wholeBytes_(contents.value_or(std::string_view())) {}

    bool Open() {
        if (contents_)
            return true;
        if (!reader_.Open(source_)) {
            error_ = reader_.error();
            return false;
        }
        return true;
    }

    bool Next(std::string_view& bytes) override {
        if (ended_) {
            bytes = {};
            return true;
        }
        if (contents_) {
            bytes = *contents_;
            contents_.reset();
            ended_ = true; // a batch's whole contents, then the end
        } else if (!reader_.Next(bytes)) {
            error_ = reader_.error();
            return false;
        } else {
            // A file whose first read gave all its size needs no read more
            // to see its end; one whose size says nothing (those of /proc,
            // the standard input) is read until a read gives nothing.
            ended_ = bytes.empty() || (read_ == 0 && !source_.standardInput &&
                                       reader_.size() != 0 && bytes.size() >= reader_.size());
        }
        read_ += bytes.size();
        if (!bytes.empty() && !onBlock_(bytes.size())) {
            stopped_ = true;
            error_.clear();
            return false;
        }
        return true;
    }
    const std::string& error() const override { return error_; }
    bool Ended() const override { return ended_; }
    bool stopped() const { return stopped_; }

    bool CanReadAgain() const override { return whole_ || reader_.CanReadAgain(); }
    bool ReadAgain(std::uint64_t offset, std::size_t length, std::string& out) override {
        if (!whole_)
            return reader_.ReadAgain(offset, length, out);
        if (offset + length > wholeBytes_.size())
            return false;
        out.assign(wholeBytes_.substr(offset, length));
        return true;
    }

    std::uint64_t read() const { return read_; }
    std::uint64_t size() const { return reader_.size(); }
    std::string ReadAgainError() const {
        return reader_.error().empty() ? std::string("The file changed while it was read")
                                       : reader_.error();
    }

private:
    const Input& source_;
    BlockReader reader_;
    std::optional<std::string_view> contents_;
    std::function<bool(std::size_t)> onBlock_;
    bool whole_; // the contents were read by a batch
    std::string_view wholeBytes_;
    std::uint64_t read_ = 0;
    bool ended_ = false;
    bool stopped_ = false;
    std::string error_;
};

// Reads the inputs of a share and finds their addresses: it is the sink of
// each input's decoding, and sends what it finds in parcels of events.
class InputReader : private TextSink {
public:
    InputReader(const std::atomic<bool>& stop, ReadChannel& channel, const ReadSettings& settings)
        : stop_(stop), channel_(channel), settings_(settings),
          finder_(nullptr, SIZE_MAX,
                  settings.classicPattern ? AddressPattern::kClassic
                                          : AddressPattern::kSubAddresses) {}

    // Reads the file and finds its addresses, from its whole contents when
    // they were read already; a file whose first bytes tell a document, an
    // archive or a compressed stream is read inside. False when the run was
    // stopped.
    bool ReadFile(std::size_t index, const Input& source,
                  std::optional<std::string_view> contents) {
        index_ = index;
        Push(ReadEvent::Kind::kFileStart, index);
        lines_.Reset();
        finder_.Restart(nullptr, kDecodedWordBytes);
        InputBytes bytes(source, settings_.blockSize, contents, [this, index](std::size_t read) {
            pending_.bytes += read;
            return Checkpoint(index);
        });
        std::string error;
        std::uint64_t parts = 0;
        if (!bytes.Open()) {
            error = bytes.error();
        } else {
            bytes_ = &bytes;
            sinceCheck_ = 0;
            DecodeContext context(
                *this, [&bytes] { return std::max(bytes.size(), bytes.read()); },
                source.standardInput ? nullptr : &source.path);
            const DecodeResult result = context.DecodeFile(bytes, settings_.readInside);
            finder_.Restart(nullptr, kDecodedWordBytes);
            bytes_ = nullptr;
            parts = context.parts();
            // What a decoder read from the file itself counts as read too.
            if (context.readFileItself() && bytes.size() > bytes.read())
                pending_.bytes += bytes.size() - bytes.read();
            if (result == DecodeResult::kStopped)
                return false;
            if (result == DecodeResult::kFailed)
                error = context.error().empty() ? std::string("Damaged file") : context.error();
        }
        if (bytes.stopped())
            return false;
        if (!error.empty()) {
            pending_.error = error;
            VoidPendingAddresses();
        }
        pending_.parts = parts;
        Push(error.empty() ? ReadEvent::Kind::kFileDone : ReadEvent::Kind::kFileFailed, index);
        return true;
    }

    // Reads the inputs of the share in order, reading small files in
    // batches when asked to; returns early when the run was stopped.
    void ReadFiles(const std::vector<Input>& inputs, ReadShare share) {
        WholeFileBatch batch(settings_.blockSize);
        std::vector<const Input*> sources;
        std::vector<std::size_t> indexes;
        for (std::size_t next = share.first; next < inputs.size();) {
            sources.clear();
            indexes.clear();
            for (; next < inputs.size() && indexes.size() < WholeFileBatch::kMaxFiles;
                 next += share.stride) {
                sources.push_back(&inputs[next]);
                indexes.push_back(next);
            }
            if (settings_.batchReads)
                batch.Load(sources);
            for (std::size_t k = 0; k < indexes.size(); ++k) {
                if (stop_.load(std::memory_order_relaxed) ||
                    !ReadFile(indexes[k], inputs[indexes[k]], batch.Contents(k)))
                    return;
            }
        }
    }

    void End() {
        pending_.kind = ReadEvent::Kind::kEnd;
        parcel_.events.push_back(std::move(pending_));
        channel_.full.Push(std::move(parcel_));
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
    // Decoded text goes to the finder; a part's end, or a member's start,
    // ends the last word.
    bool Text(std::string_view text) override {
        // The lines of the text are told apart only when they are counted.
        if (settings_.lines)
            lines_.Block(text);
        const bool fed = finder_.Feed(text, collect_);
        if (settings_.lines)
            lines_.EndBlock();
        if (!fed)
            return Refuse();
        sinceCheck_ += text.size();
        if (sinceCheck_ < kTextBetweenChecks)
            return true;
        sinceCheck_ = 0;
        return Checkpoint(index_);
    }
    bool PartEnd() override {
        const bool finished = finder_.Finish(collect_);
        finder_.Restart(nullptr, kDecodedWordBytes);
        return finished || Refuse();
    }
    void ReadAgainFrom(BlockFinder::Rereadable* again) override {
        finder_.Restart(again, again != nullptr ? SIZE_MAX : kDecodedWordBytes);
    }
    std::string failure() const override { return failure_; }

    // A word's text could not be read again: the file changed under the run.
    bool Refuse() {
        failure_ = bytes_->ReadAgainError();
        return false;
    }

    // The addresses from here on are in another member: those found so far
    // go out first.
    void Member(std::string_view path) override {
        if (!finder_.Finish(collect_))
            Refuse();
        finder_.Restart(nullptr, kDecodedWordBytes);
        Push(ReadEvent::Kind::kAddresses, index_);
        pending_.member.assign(path);
        Push(ReadEvent::Kind::kMember, index_);
        lines_.Reset();
    }

    // The stretch since the last member event failed: its addresses not yet
    // sent go, and the run leaves out those it has.
    void PartFailed(std::string_view path, std::string_view reason) override {
        finder_.Restart(nullptr, kDecodedWordBytes); // its last word goes with it
        VoidPendingAddresses();
        pending_.member.assign(path);
        pending_.error.assign(reason);
        Push(ReadEvent::Kind::kPartFailed, index_);
    }

    // Sends what was found so far with the progress, and tells whether the
    // run goes on.
    bool Checkpoint(std::size_t index) {
        Push(ReadEvent::Kind::kAddresses, index);
        return !stop_.load(std::memory_order_relaxed);
    }

    void Collect(std::string_view address) {
        parcel_.entries.push_back({static_cast<std::uint32_t>(parcel_.text.size()),
                                   static_cast<std::uint32_t>(address.size()),
                                   AddressSet::Hash(address, settings_.hashSeed),
                                   settings_.lines ? lines_.LineOf(address) : 0});
        parcel_.text.append(address);
        ++pending_.entryCount;
    }

    void VoidPendingAddresses() {
        parcel_.entries.resize(pending_.firstEntry);
        parcel_.text.resize(pendingText_);
        pending_.entryCount = 0;
    }

    void Push(ReadEvent::Kind kind, std::size_t index) {
        pending_.kind = kind;
        pending_.fileIndex = index;
        parcel_.events.push_back(std::move(pending_));
        if (parcel_.events.size() >= kParcelEvents || parcel_.text.size() >= kParcelBytes)
            Send();
        StartEvent();
    }

    void StartEvent() {
        pending_ = ReadEvent{};
        pending_.firstEntry = parcel_.entries.size();
        pendingText_ = parcel_.text.size();
    }

    void Send() {
        channel_.full.Push(std::move(parcel_));
        // A parcel handled already comes back with its memory, so a long run
        // allocates for its first few parcels only.
        std::optional<EventParcel> spare = channel_.spare.TryPop();
        parcel_ = spare ? std::move(*spare) : EventParcel{};
        parcel_.Clear();
    }

    const std::atomic<bool>& stop_;
    ReadChannel& channel_;
    ReadSettings settings_;
    EventParcel parcel_;
    ReadEvent pending_;
    BlockFinder finder_;
    struct Collector {
        InputReader* reader;
        void operator()(std::string_view address) const { reader->Collect(address); }
    };
    const Collector collect_{this};
    LineCounter lines_;
    std::size_t index_ = 0;             // of the input being read
    const InputBytes* bytes_ = nullptr; // its bytes
    std::size_t sinceCheck_ = 0;        // decoded text since the run was last asked
    std::string failure_;
    std::size_t pendingText_ = 0; // where the pending event's addresses start in the parcel text
};

} // namespace

void ReadInputs(const std::vector<Input>& inputs, ReadShare share, const ReadSettings& settings,
                const std::atomic<bool>& stop, ReadChannel& channel) {
    InputReader reader(stop, channel, settings);
    std::string failure;
    try {
        reader.ReadFiles(inputs, share);
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
