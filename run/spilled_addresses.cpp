#include "run/spilled_addresses.h"

#include <queue>
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

SpilledAddresses::SpilledAddresses(const std::filesystem::path& folder, std::uint64_t seed,
                                   bool keepSources)
    : file_(folder), seed_(seed), keepSources_(keepSources), partitions_(kPartitions) {}

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
    const std::uint64_t offset = file_.Append(partition.buffer.data(), partition.buffer.size());
    partition.blocks.push_back({offset, static_cast<std::uint32_t>(partition.buffer.size())});
    partition.buffer.clear();
    partition.lastPosition = 0;
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
    AddressSet set(seed_);
    std::vector<First> firsts;
    std::string spellings;
    std::string block;
    for (const Block& stored : partition.blocks) {
        block.resize(stored.size);
        file_.ReadAt(stored.offset, block.data(), stored.size);
        const char* at = block.data();
        std::uint64_t position = 0;
        while (at < block.data() + block.size()) {
            const Record record = TakeRecord(at, position, false, keepSources_);
            position = record.position;
            const std::uint32_t file = record.source.fileIndex;
            if (file < voided_.size() && voided_[file])
                continue;
            if (set.InsertLowerCased(record.address, AddressSet::Hash(record.address, seed_))) {
                firsts.push_back({record.position, set.LastKey(), record.source, spellings.size()});
                spellings.append(record.address);
            }
        }
    }
    partition.blocks = {};
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
        std::string block;
        const char* at = nullptr;
        Record record;
    };
    std::vector<Cursor> cursors(outs.size());
    auto advance = [&](Cursor& cursor) {
        if (cursor.at == nullptr || cursor.at == cursor.block.data() + cursor.block.size()) {
            if (cursor.next == cursor.blocks->size())
                return false;
            const Block& stored = (*cursor.blocks)[cursor.next++];
            cursor.block.resize(stored.size);
            file_.ReadAt(stored.offset, cursor.block.data(), stored.size);
            cursor.at = cursor.block.data();
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
