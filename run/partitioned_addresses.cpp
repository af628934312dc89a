#include "run/partitioned_addresses.h"

#include "engine/insert_new_in_order.h"

#include <atomic>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <thread>
#include <utility>

namespace ornavex {
namespace {

// Partitions write to the file in blocks of about this size, and read a
// block at a time.
constexpr std::size_t kBlockBytes = 64 << 10;
// A buffer holds a block and the record that fills it.
constexpr std::size_t kBufferBytes = kBlockBytes + (4 << 10);
// A buffer's bytes are written in place; only a record longer than its
// room makes it grow.
std::string EmptyBuffer() {
    return std::string(kBufferBytes, '\0');
}
// Blocks on their way to the file.
constexpr std::size_t kQueuedBlocks = 16;

// A varint: seven bits a byte, the lowest first.
char* PutNumber(char* at, std::uint64_t value) {
    while (value >= 0x80) {
        *at++ = static_cast<char>(value | 0x80);
        value >>= 7;
    }
    *at++ = static_cast<char>(value);
    return at;
}

std::uint64_t TakeNumber(const char*& at) {
    std::uint64_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        value |= std::uint64_t{byte & 0x7fu} << shift;
        if (byte < 0x80)
            return value;
    }
}

} // namespace

// One record of a block: its position; for a resolved address its count;
// whether the address was known before and its index among those; then its
// source and bytes. A known address has no member or line.
struct PartitionRecord {
    std::uint64_t position = 0;
    std::uint64_t count = 0;
    bool known = false;
    std::uint32_t index = 0;
    OccurrenceOrigin source;
    std::string_view address;
};

namespace {

using Record = PartitionRecord;

// The most bytes of a record besides its address: six varints.
constexpr std::size_t kMaxRecordHead = 6 * 10;

// Writes the record at buffer[used], making room for it when it is long.
void PutRecord(std::string& buffer, std::size_t& used, std::uint64_t positionStep,
               const Record& record, bool counted, bool keepSources) {
    const std::size_t need = kMaxRecordHead + record.address.size();
    if (buffer.size() - used < need)
        buffer.resize(used + need);
    char* at = buffer.data() + used;
    at = PutNumber(at, positionStep);
    if (counted)
        at = PutNumber(at, record.count);
    at = PutNumber(at, (std::uint64_t{record.address.size()} << 1) | (record.known ? 1 : 0));
    if (record.known)
        at = PutNumber(at, record.index);
    at = PutNumber(at, record.source.fileIndex);
    if (keepSources && !record.known) {
        at = PutNumber(at, record.source.member);
        at = PutNumber(at, record.source.line);
    }
    std::memcpy(at, record.address.data(), record.address.size());
    used = static_cast<std::size_t>(at + record.address.size() - buffer.data());
}

// Reads the record at `at`; position holds the previous one's (0 at the
// start of a block).
Record TakeRecord(const char*& at, std::uint64_t position, bool counted, bool keepSources) {
    Record record;
    record.position = position + TakeNumber(at);
    if (counted)
        record.count = TakeNumber(at);
    const std::uint64_t lengthAndKnown = TakeNumber(at);
    record.known = (lengthAndKnown & 1) != 0;
    if (record.known)
        record.index = static_cast<std::uint32_t>(TakeNumber(at));
    record.source.fileIndex = static_cast<std::uint32_t>(TakeNumber(at));
    if (keepSources && !record.known) {
        record.source.member = static_cast<std::uint32_t>(TakeNumber(at));
        record.source.line = TakeNumber(at);
    }
    const std::size_t length = lengthAndKnown >> 1;
    record.address = std::string_view(at, length);
    at += length;
    return record;
}

} // namespace

PartitionedAddresses::PartitionedAddresses(std::filesystem::path folder, std::uint64_t seed,
                                           bool keepSources, std::uint64_t memoryBudget)
    : folder_(std::move(folder)), seed_(seed), keepSources_(keepSources), budget_(memoryBudget),
      partitions_(kPartitions + 1), toWrite_(kQueuedBlocks), spare_(kQueuedBlocks) {
    for (Partition& partition : partitions_)
        partition.buffer = EmptyBuffer();
}

PartitionedAddresses::~PartitionedAddresses() {
    toWrite_.Close();
    spare_.Close();
    if (writer_.joinable())
        writer_.join();
}

void PartitionedAddresses::Add(std::string_view address, std::uint64_t hash,
                               const OccurrenceOrigin& source) {
    Record record;
    record.source = source;
    record.address = address;
    Append(hash, record);
}

void PartitionedAddresses::AddKnown(std::string_view address, std::uint64_t hash,
                                    std::uint32_t index, std::uint32_t fileIndex) {
    Record record;
    record.known = true;
    record.index = index;
    record.source.fileIndex = fileIndex;
    record.address = address;
    Append(hash, record);
}

void PartitionedAddresses::Append(std::uint64_t hash, const Record& record) {
    // The address set's table takes the hash's highest bits and its lowest;
    // the partition takes bits of its own.
    const std::size_t index = (hash >> 16) % kPartitions;
    Partition& partition = partitions_[index];
    PutRecord(partition.buffer, partition.used, position_ - partition.lastPosition, record, false,
              keepSources_);
    partition.lastPosition = position_++;
    if (partition.used >= kBlockBytes)
        Send(index);
    // The merge at the end reads which partition has the next occurrence.
    Partition& owners = partitions_[kOwners];
    owners.buffer[owners.used++] = static_cast<char>(index);
    if (owners.used >= kBlockBytes)
        Send(kOwners);
}

void PartitionedAddresses::VoidFile(std::uint32_t fileIndex) {
    if (voided_.size() <= fileIndex)
        voided_.resize(fileIndex + 1);
    voided_[fileIndex] = true;
}

void PartitionedAddresses::VoidSince(std::uint64_t from) {
    if (from < position_)
        voidedSpans_.emplace_back(from, position_);
}

void PartitionedAddresses::Send(std::size_t index) {
    Partition& partition = partitions_[index];
    if (partition.used == 0)
        return;
    {
        const std::lock_guard<std::mutex> lock(storeMutex_);
        if (writeFailure_)
            std::rethrow_exception(writeFailure_);
    }
    if (!writer_.joinable())
        writer_ = std::thread([this] { Write(); });
    toWrite_.Push(Pending{index, std::move(partition.buffer), partition.used});
    std::optional<std::string> spare = spare_.TryPop();
    partition.buffer = spare ? std::move(*spare) : EmptyBuffer();
    partition.used = 0;
    partition.lastPosition = 0;
}

void PartitionedAddresses::Write() {
    while (std::optional<Pending> pending = toWrite_.Pop()) {
        try {
            partitions_[pending->partition].blocks.push_back(Store(pending->bytes, pending->size));
        } catch (...) {
            const std::lock_guard<std::mutex> lock(storeMutex_);
            if (!writeFailure_)
                writeFailure_ = std::current_exception();
        }
        if (!pending->bytes.empty()) // it went to the file
            spare_.TryPush(std::move(pending->bytes));
    }
}

void PartitionedAddresses::FinishWriting() {
    for (std::size_t p = 0; p < partitions_.size(); ++p)
        Send(p);
    toWrite_.Close();
    if (writer_.joinable())
        writer_.join();
    if (writeFailure_)
        std::rethrow_exception(writeFailure_);
}

void PartitionedAddresses::Flush(Partition& partition) {
    if (partition.used == 0)
        return;
    partition.blocks.push_back(Store(partition.buffer, partition.used));
    if (partition.buffer.empty())
        partition.buffer = EmptyBuffer();
    partition.used = 0;
    partition.lastPosition = 0;
}

PartitionedAddresses::Block PartitionedAddresses::Store(std::string& bytes, std::size_t size) {
    Block block;
    block.size = static_cast<std::uint32_t>(size);
    // The writer and the threads that resolve partitions share the file.
    const std::lock_guard<std::mutex> lock(storeMutex_);
    // The file comes first: the system keeps its pages in memory while it
    // can, and filling them is cheaper than fresh memory of the program's.
    if (fileComplaint_.empty()) {
        try {
            if (!file_)
                file_ = std::make_unique<TemporaryFile>(folder_);
            block.offset = file_->Append(bytes.data(), size);
            return block;
        } catch (const std::runtime_error& error) {
            fileComplaint_ = error.what();
        }
    }
    // Without room on disk, memory within the budget does: the buffer
    // itself, which leaves bytes empty.
    if (memoryBytes_ + bytes.size() > budget_)
        throw TemporaryDataError(fileComplaint_);
    memoryBytes_ += bytes.size();
    block.bytes = std::move(bytes);
    bytes = std::string();
    return block;
}

const char* PartitionedAddresses::BlockData(const Block& block, std::string& buffer) const {
    if (!block.bytes.empty())
        return block.bytes.data();
    buffer.resize(block.size);
    file_->ReadAt(block.offset, buffer.data(), block.size);
    return buffer.data();
}

void PartitionedAddresses::Release(std::vector<Block>& blocks) {
    const std::lock_guard<std::mutex> lock(storeMutex_);
    for (const Block& block : blocks)
        if (!block.bytes.empty())
            memoryBytes_ -= block.bytes.size();
    blocks = {};
}

bool PartitionedAddresses::Resolve(const OnAddress& onAddress, const OnKnownCount& onKnownCount,
                                   const OnProgress& onProgress) {
    FinishWriting();
    // The partitions are independent: this thread and a helper take them in
    // turn, and this one tells the progress.
    std::vector<Partition> outs(kPartitions);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::atomic<bool> stop{false};
    auto work = [&](bool tells) {
        for (std::size_t p = next++; p < kPartitions && !stop.load(); p = next++) {
            ResolvePartition(partitions_[p], outs[p]);
            const std::size_t doneNow = ++done;
            if (tells && !onProgress(doneNow, kPartitions + 1))
                stop.store(true);
        }
    };
    std::exception_ptr helperFailure;
    std::thread helper([&] {
        try {
            work(false);
        } catch (...) {
            helperFailure = std::current_exception();
            stop.store(true);
        }
    });
    try {
        work(true);
    } catch (...) {
        stop.store(true);
        helper.join();
        throw;
    }
    helper.join();
    if (helperFailure)
        std::rethrow_exception(helperFailure);
    if (stop.load())
        return false;
    for (const Partition& out : outs)
        for (const auto& [index, count] : out.knownCounts)
            onKnownCount(index, count);
    Merge(outs, onAddress);
    return onProgress(kPartitions + 1, kPartitions + 1);
}

void PartitionedAddresses::ResolvePartition(Partition& partition, Partition& out) {
    // The first occurrence of each address of the partition, in order.
    struct First {
        std::uint64_t position;
        AddressSet::KeyReference key;
        OccurrenceOrigin source;
        std::size_t spelling; // into spellings
    };
    // Chunks of the arena small enough to come from the C heap, which hands
    // them on from one partition's set to the next.
    constexpr std::size_t kChunkBytes = 1 << 20;
    // Counts only for the details.
    AddressSet set(seed_, kChunkBytes,
                   keepSources_ ? AddressSet::Counting::kOn : AddressSet::Counting::kOff);
    out.buffer = EmptyBuffer();
    std::vector<First> firsts;
    std::vector<std::pair<std::uint32_t, AddressSet::KeyReference>> knowns; // index, key
    std::string spellings;
    std::string buffer;
    std::vector<Record> records;
    std::vector<HashedAddress> lookups;
    VoidedSpan span = voidedSpans_.begin(); // records come in order of position
    for (const Block& stored : partition.blocks) {
        const char* at = BlockData(stored, buffer);
        const char* const end = at + stored.size;
        records.clear();
        lookups.clear();
        std::uint64_t position = 0;
        while (at < end) {
            const Record record = TakeRecord(at, position, false, keepSources_);
            position = record.position;
            if (Voided(record.source.fileIndex, position, span))
                continue;
            records.push_back(record);
            lookups.push_back({record.address, AddressSet::Hash(record.address, seed_)});
        }
        // A block's lookups pipelined, as the run's own are.
        InsertNewInOrder(set, lookups, [&](std::size_t i) {
            const Record& record = records[i];
            if (record.known) {
                if (keepSources_)
                    knowns.emplace_back(record.index, set.LastKey());
                return;
            }
            firsts.push_back({record.position, set.LastKey(), record.source, spellings.size()});
            spellings.append(record.address);
        });
    }
    Release(partition.blocks);
    for (const auto& [index, key] : knowns)
        if (const std::uint64_t count = set.Occurrences(key) - 1; count != 0)
            out.knownCounts.emplace_back(index, count);
    for (const First& first : firsts) {
        Record record;
        record.count = set.Occurrences(first.key);
        record.source = first.source;
        record.address =
            std::string_view(spellings).substr(first.spelling, set.Key(first.key).size());
        PutRecord(out.buffer, out.used, first.position - out.lastPosition, record, true,
                  keepSources_);
        out.lastPosition = first.position;
        if (out.used >= kBlockBytes)
            Flush(out);
    }
    Flush(out);
    out.buffer = std::string();
}

bool PartitionedAddresses::Voided(std::uint32_t file, std::uint64_t position,
                                  VoidedSpan& span) const {
    if (file < voided_.size() && voided_[file])
        return true;
    while (span != voidedSpans_.end() && span->second <= position)
        ++span;
    return span != voidedSpans_.end() && span->first <= position;
}

void PartitionedAddresses::Merge(std::vector<Partition>& outs, const OnAddress& onAddress) {
    // A place in one partition's resolved addresses.
    struct Cursor {
        const std::vector<Block>* blocks;
        std::size_t next = 0; // block to read next
        std::string buffer;
        const char* at = nullptr;
        const char* end = nullptr;
        bool ended = false;
        Record record;
    };
    auto advance = [&](Cursor& cursor) {
        if (cursor.at == cursor.end) {
            if (cursor.next == cursor.blocks->size()) {
                cursor.ended = true;
                return;
            }
            const Block& stored = (*cursor.blocks)[cursor.next++];
            cursor.at = BlockData(stored, cursor.buffer);
            cursor.end = cursor.at + stored.size;
            cursor.record.position = 0;
        }
        cursor.record = TakeRecord(cursor.at, cursor.record.position, true, keepSources_);
    };
    std::vector<Cursor> cursors(outs.size());
    for (std::size_t i = 0; i < outs.size(); ++i) {
        cursors[i].blocks = &outs[i].blocks;
        advance(cursors[i]);
    }
    // Every occurrence in order, by the partition it went to: a partition's
    // next new address is the first at its own position.
    std::string buffer;
    std::uint64_t position = 0;
    for (const Block& stored : partitions_[kOwners].blocks) {
        const char* owners = BlockData(stored, buffer);
        for (std::uint32_t i = 0; i < stored.size; ++i, ++position) {
            Cursor& cursor = cursors[static_cast<unsigned char>(owners[i])];
            if (!cursor.ended && cursor.record.position == position) {
                onAddress(cursor.record.address, cursor.record.count, cursor.record.source);
                advance(cursor);
            }
        }
    }
    Release(partitions_[kOwners].blocks);
}

} // namespace ornavex
