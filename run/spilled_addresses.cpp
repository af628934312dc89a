#include "run/spilled_addresses.h"

#include "engine/new_address_filter.h"

#include <queue>
#include <stdexcept>
#include <utility>

namespace ornavex {
namespace {

// Partitions write to the file in blocks of about this size, and read a
// block at a time.
constexpr std::size_t kBlockBytes = 64 << 10;

void PutNumber(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>(value | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
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

// One record of a block: its position, then (for a resolved address) its
// count, then its source and bytes.
struct Record {
    std::uint64_t position = 0;
    std::uint32_t count = 0;
    OccurrenceSource source;
    std::string_view address;
};

void PutRecord(std::string& out, std::uint64_t positionStep, const Record& record, bool counted,
               bool keepSources) {
    PutNumber(out, positionStep);
    if (counted)
        PutNumber(out, record.count);
    PutNumber(out, record.source.fileIndex);
    if (keepSources) {
        PutNumber(out, record.source.member);
        PutNumber(out, record.source.line);
    }
    PutNumber(out, record.address.size());
    out.append(record.address);
}

// Reads the record at `at`; position holds the previous one's (0 at the
// start of a block).
Record TakeRecord(const char*& at, std::uint64_t position, bool counted, bool keepSources) {
    Record record;
    record.position = position + TakeNumber(at);
    if (counted)
        record.count = static_cast<std::uint32_t>(TakeNumber(at));
    record.source.fileIndex = static_cast<std::uint32_t>(TakeNumber(at));
    if (keepSources) {
        record.source.member = static_cast<std::uint32_t>(TakeNumber(at));
        record.source.line = TakeNumber(at);
    }
    const std::size_t length = TakeNumber(at);
    record.address = std::string_view(at, length);
    at += length;
    return record;
}

} // namespace

SpilledAddresses::SpilledAddresses(std::filesystem::path folder, std::uint64_t seed,
                                   bool keepSources, std::uint64_t memoryBudget)
    : folder_(std::move(folder)), seed_(seed), keepSources_(keepSources), budget_(memoryBudget),
      partitions_(kPartitions) {
    for (Partition& partition : partitions_)
        partition.buffer.reserve(kBlockBytes);
}

void SpilledAddresses::Add(std::string_view address, std::uint64_t hash,
                           const OccurrenceSource& source) {
    // The address set's table takes the hash's highest bits and its lowest;
    // the partition takes bits of its own.
    Partition& partition = partitions_[(hash >> 16) % kPartitions];
    Record record;
    record.source = source;
    record.address = address;
    PutRecord(partition.buffer, position_ - partition.lastPosition, record, false, keepSources_);
    partition.lastPosition = position_++;
    if (partition.buffer.size() >= kBlockBytes)
        Flush(partition);
}

void SpilledAddresses::Void(std::uint32_t fileIndex) {
    if (voided_.size() <= fileIndex)
        voided_.resize(fileIndex + 1);
    voided_[fileIndex] = true;
}

void SpilledAddresses::Flush(Partition& partition) {
    if (partition.buffer.empty())
        return;
    Block block;
    block.size = static_cast<std::uint32_t>(partition.buffer.size());
    // The file comes first: the system keeps its pages in memory while it
    // can, and filling them is cheaper than fresh memory of the program's.
    if (fileComplaint_.empty()) {
        try {
            if (!file_)
                file_ = std::make_unique<ScratchFile>(folder_);
            block.offset = file_->Append(partition.buffer.data(), partition.buffer.size());
            partition.buffer.clear();
        } catch (const std::runtime_error& error) {
            fileComplaint_ = error.what();
        }
    }
    // Without room on disk, memory within the budget does.
    if (!fileComplaint_.empty()) {
        if (memoryBytes_ + partition.buffer.capacity() > budget_)
            throw std::runtime_error(fileComplaint_);
        memoryBytes_ += partition.buffer.capacity();
        block.bytes = std::move(partition.buffer);
        partition.buffer = std::string();
        partition.buffer.reserve(kBlockBytes);
    }
    partition.blocks.push_back(std::move(block));
    partition.lastPosition = 0;
}

const char* SpilledAddresses::BlockData(const Block& block, std::string& scratch) const {
    if (!block.bytes.empty())
        return block.bytes.data();
    scratch.resize(block.size);
    file_->ReadAt(block.offset, scratch.data(), block.size);
    return scratch.data();
}

void SpilledAddresses::Release(std::vector<Block>& blocks) {
    for (const Block& block : blocks)
        if (!block.bytes.empty())
            memoryBytes_ -= block.bytes.capacity();
    blocks = {};
}

bool SpilledAddresses::Resolve(const OnAddress& onAddress, const OnProgress& onProgress) {
    for (Partition& partition : partitions_)
        Flush(partition);
    std::vector<Partition> outs(kPartitions);
    for (std::size_t p = 0; p < kPartitions; ++p) {
        ResolvePartition(partitions_[p], outs[p]);
        if (!onProgress(p + 1, kPartitions + 1))
            return false;
    }
    Merge(outs, onAddress);
    return onProgress(kPartitions + 1, kPartitions + 1);
}

void SpilledAddresses::ResolvePartition(Partition& partition, Partition& out) {
    // The first occurrence of each address of the partition, in order.
    struct First {
        std::uint64_t position;
        AddressSet::KeyReference key;
        OccurrenceSource source;
        std::size_t spelling; // into spellings
    };
    // Chunks of the arena small enough to come from the C heap, which hands
    // them on from one partition's set to the next.
    constexpr std::size_t kChunkBytes = 1 << 20;
    AddressSet set(seed_, kChunkBytes);
    std::vector<First> firsts;
    std::string spellings;
    std::string scratch;
    std::vector<Record> records;
    std::vector<HashedAddress> lookups;
    for (const Block& stored : partition.blocks) {
        const char* at = BlockData(stored, scratch);
        const char* const end = at + stored.size;
        records.clear();
        lookups.clear();
        std::uint64_t position = 0;
        while (at < end) {
            const Record record = TakeRecord(at, position, false, keepSources_);
            position = record.position;
            const std::uint32_t file = record.source.fileIndex;
            if (file < voided_.size() && voided_[file])
                continue;
            records.push_back(record);
            lookups.push_back({record.address, AddressSet::Hash(record.address, seed_)});
        }
        // A block's lookups pipelined, as the run's own are.
        InsertNewInOrder(set, lookups, [&](std::size_t i) {
            const Record& record = records[i];
            firsts.push_back({record.position, set.LastKey(), record.source, spellings.size()});
            spellings.append(record.address);
        });
    }
    Release(partition.blocks);
    for (const First& first : firsts) {
        Record record;
        record.count = set.Occurrences(first.key);
        record.source = first.source;
        record.address =
            std::string_view(spellings).substr(first.spelling, set.Key(first.key).size());
        PutRecord(out.buffer, first.position - out.lastPosition, record, true, keepSources_);
        out.lastPosition = first.position;
        if (out.buffer.size() >= kBlockBytes)
            Flush(out);
    }
    Flush(out);
    out.buffer.shrink_to_fit();
}

void SpilledAddresses::Merge(std::vector<Partition>& outs, const OnAddress& onAddress) {
    // A place in one partition's resolved addresses.
    struct Cursor {
        const std::vector<Block>* blocks;
        std::size_t next = 0; // block to read next
        std::string scratch;
        const char* at = nullptr;
        const char* end = nullptr;
        Record record;
    };
    std::vector<Cursor> cursors(outs.size());
    auto advance = [&](Cursor& cursor) {
        if (cursor.at == cursor.end) {
            if (cursor.next == cursor.blocks->size())
                return false;
            const Block& stored = (*cursor.blocks)[cursor.next++];
            cursor.at = BlockData(stored, cursor.scratch);
            cursor.end = cursor.at + stored.size;
            cursor.record.position = 0;
        }
        cursor.record = TakeRecord(cursor.at, cursor.record.position, true, keepSources_);
        return true;
    };
    using Next = std::pair<std::uint64_t, std::size_t>; // position, cursor
    std::priority_queue<Next, std::vector<Next>, std::greater<>> order;
    for (std::size_t i = 0; i < outs.size(); ++i) {
        cursors[i].blocks = &outs[i].blocks;
        if (advance(cursors[i]))
            order.push({cursors[i].record.position, i});
    }
    while (!order.empty()) {
        Cursor& cursor = cursors[order.top().second];
        const std::size_t i = order.top().second;
        order.pop();
        onAddress(cursor.record.address, cursor.record.count, cursor.record.source);
        if (advance(cursor))
            order.push({cursor.record.position, i});
    }
}

} // namespace ornavex
