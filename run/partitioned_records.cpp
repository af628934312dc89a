#include "run/partitioned_records.h"

#include "run/varint.h"

namespace ornavex {
namespace {

// A partition's buffer is written out once it holds this much: 256 of them
// take 4 MiB at most. Full buffers are written together, in few calls.
constexpr std::size_t kBufferBytes = 16 << 10;
constexpr std::size_t kStagedBytes = 1 << 20;

} // namespace

PartitionedRecords::PartitionedRecords(std::filesystem::path folder)
    : folder_(std::move(folder)), partitions_(kPartitions) {}

PartitionedRecords::~PartitionedRecords() = default;

void PartitionedRecords::Add(std::size_t partition, std::string_view record) {
    Partition& part = partitions_[partition];
    if (part.buffer.capacity() < kBufferBytes)
        part.buffer.reserve(kBufferBytes + 256);
    AppendVarint(part.buffer, record.size());
    part.buffer.append(record);
    ++count_;
    if (part.buffer.size() < kBufferBytes)
        return;
    if (!file_)
        file_ = std::make_unique<TemporaryFile>(folder_);
    // Where the block will lie once what is staged before it is written.
    part.blocks.push_back(
        Block{file_->size() + staged_.size(), static_cast<std::uint32_t>(part.buffer.size())});
    staged_.append(part.buffer);
    part.buffer.clear();
    if (staged_.size() >= kStagedBytes) {
        file_->Append(staged_.data(), staged_.size());
        staged_.clear();
    }
}

void PartitionedRecords::ForEach(
    std::size_t partition, const std::function<void(std::string_view record)>& onRecord) const {
    const Partition& part = partitions_[partition];
    std::string bytes;
    const auto each = [&](std::string_view rest) {
        for (std::string_view record; TakeFramed(rest, record);)
            onRecord(record);
    };
    for (const Block& block : part.blocks) {
        if (block.offset >= file_->size()) { // still staged
            each(std::string_view(staged_).substr(block.offset - file_->size(), block.size));
            continue;
        }
        bytes.resize(block.size);
        file_->ReadAt(block.offset, bytes.data(), block.size);
        each(bytes);
    }
    each(part.buffer);
}

} // namespace ornavex
