#include "run/record_sorter.h"

#include "run/varint.h"

#include <algorithm>
#include <cstring>
#include <queue>

namespace ornavex {
namespace {

// The arena's chunks, reused from one run to the next.
constexpr std::size_t kChunkBytes = 1 << 20;
constexpr std::size_t kLeastChunkBytes = 4 << 10;
// Runs merged at once, each read a window at a time: 16 MiB of windows.
constexpr std::size_t kMaxWays = 64;
constexpr std::size_t kRunWindowBytes = 256 << 10;
// Runs are written in pieces of this size.
constexpr std::size_t kWriteBytes = 1 << 20;

std::uint64_t PrefixOf(std::string_view key) {
    std::uint64_t prefix = 0;
    for (std::size_t i = 0; i < 8; ++i)
        prefix = prefix << 8 | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
    return prefix;
}

int CompareKeys(std::string_view a, std::string_view b) {
    const std::size_t common = std::min(a.size(), b.size());
    if (const int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common); order != 0)
        return order;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// A run's record: the key's size, the key, the value; framed.
void AppendRunRecord(std::string& out, std::string_view key, std::string_view value) {
    std::string head;
    AppendVarint(head, key.size());
    AppendVarint(out, head.size() + key.size() + value.size());
    out.append(head).append(key).append(value);
}

void SplitRunRecord(std::string_view record, std::string_view& key, std::string_view& value) {
    const auto keySize = static_cast<std::size_t>(TakeVarint(record));
    key = record.substr(0, keySize);
    value = record.substr(std::min(keySize, record.size()));
}

} // namespace

// Merges runs of the file: the least key of all of them next, equal keys
// from the earlier run first.
class RecordSorter::Merge {
public:
    Merge(const TemporaryFile& file, const std::vector<Run>& runs) : cursors_(runs.size()) {
        for (std::size_t i = 0; i < runs.size(); ++i) {
            cursors_[i].reader = FramedReader(&file, runs[i].begin, runs[i].end, kRunWindowBytes);
            Advance(i);
        }
    }

    bool Next(std::string_view& key, std::string_view& value) {
        // The record given last stays valid until now.
        if (given_ < cursors_.size()) {
            Advance(given_);
            given_ = cursors_.size();
        }
        if (heap_.empty())
            return false;
        given_ = heap_.top();
        heap_.pop();
        key = cursors_[given_].key;
        value = cursors_[given_].value;
        return true;
    }

private:
    struct Cursor {
        FramedReader reader;
        std::string_view key;
        std::string_view value;
    };
    struct Later {
        const std::vector<Cursor>* cursors;
        bool operator()(std::size_t a, std::size_t b) const {
            const int order = CompareKeys((*cursors)[a].key, (*cursors)[b].key);
            return order > 0 || (order == 0 && a > b);
        }
    };

    void Advance(std::size_t i) {
        std::string_view record;
        if (!cursors_[i].reader.Next(record))
            return;
        SplitRunRecord(record, cursors_[i].key, cursors_[i].value);
        heap_.push(i);
    }

    std::vector<Cursor> cursors_;
    std::priority_queue<std::size_t, std::vector<std::size_t>, Later> heap_{Later{&cursors_}};
    std::size_t given_ = SIZE_MAX;
};

RecordSorter::RecordSorter(std::filesystem::path folder, std::size_t memoryBytes)
    : folder_(std::move(folder)), memoryBytes_(memoryBytes) {}

RecordSorter::~RecordSorter() = default;

std::size_t RecordSorter::MemoryBytes() const {
    return arenaUsed_ + entries_.capacity() * sizeof(Entry);
}

void RecordSorter::Add(std::string_view key, std::string_view value) {
    const std::size_t bytes = key.size() + value.size();
    // What is in memory goes to disk as a run first when the record, or the
    // room to index it, would pass the memory allowed.
    if (!entries_.empty() && !inMemoryOnly_ && MemoryBytes() + bytes > memoryBytes_)
        WriteRun();
    if (entries_.size() == entries_.capacity()) {
        // While the entries move, the old room and the new are both taken.
        const std::size_t grown = std::max<std::size_t>(16, 2 * entries_.capacity());
        if (!entries_.empty() && !inMemoryOnly_ &&
            MemoryBytes() + bytes + grown * sizeof(Entry) > memoryBytes_)
            WriteRun(); // empties the entries, keeping their room
        if (entries_.size() == entries_.capacity())
            entries_.reserve(grown);
    }
    if (chunks_.empty() || chunkUsed_ + bytes > chunkSizes_.back()) {
        // Chunks of an eighth of the memory allowed, so they do not take
        // much more than it; a long record has one of its own.
        const std::size_t size = std::max(
            bytes, std::clamp<std::size_t>(memoryBytes_ / 8, kLeastChunkBytes, kChunkBytes));
        if (entries_.empty()) { // every chunk is free: one that is large enough is used anew
            if (!chunks_.empty() && chunkSizes_.front() < bytes) {
                chunks_.clear();
                chunkSizes_.clear();
            }
            chunks_.resize(std::min<std::size_t>(chunks_.size(), 1));
            chunkSizes_.resize(chunks_.size());
        }
        if (chunks_.empty() || !entries_.empty()) {
            chunks_.push_back(std::make_unique<char[]>(size));
            chunkSizes_.push_back(size);
        }
        chunkUsed_ = 0;
    }
    const std::size_t chunk = chunks_.size() - 1;
    char* at = chunks_[chunk].get() + chunkUsed_;
    if (!key.empty())
        std::memcpy(at, key.data(), key.size());
    if (!value.empty())
        std::memcpy(at + key.size(), value.data(), value.size());
    entries_.push_back(Entry{PrefixOf(key), std::uint64_t{chunk} << 32 | chunkUsed_,
                             static_cast<std::uint32_t>(key.size()),
                             static_cast<std::uint32_t>(value.size())});
    chunkUsed_ += bytes;
    arenaUsed_ += bytes;
    ++count_;
}

bool RecordSorter::Less(const Entry& a, const Entry& b) const {
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix;
    const int order = CompareKeys(std::string_view(At(a.location), a.keySize),
                                  std::string_view(At(b.location), b.keySize));
    return order < 0 || (order == 0 && a.location < b.location);
}

void RecordSorter::SortInMemory() {
    std::sort(entries_.begin(), entries_.end(),
              [this](const Entry& a, const Entry& b) { return Less(a, b); });
}

void RecordSorter::WriteRun() {
    if (!file_) {
        try {
            file_ = std::make_unique<TemporaryFile>(folder_);
        } catch (const TemporaryDataError&) {
            inMemoryOnly_ = true; // no disk at all: the records stay
            return;
        }
    }
    SortInMemory();
    const std::uint64_t begin = file_->size();
    std::string out;
    out.reserve(kWriteBytes + 64);
    for (const Entry& entry : entries_) {
        const char* at = At(entry.location);
        AppendRunRecord(out, std::string_view(at, entry.keySize),
                        std::string_view(at + entry.keySize, entry.valueSize));
        if (out.size() >= kWriteBytes) {
            file_->Append(out.data(), out.size());
            out.clear();
        }
    }
    file_->Append(out.data(), out.size());
    runs_.push_back(Run{begin, file_->size()});
    entries_.clear();
    arenaUsed_ = 0;
    chunkUsed_ = SIZE_MAX / 2; // the next record takes a chunk afresh
}

void RecordSorter::Finish() {
    finished_ = true;
    if (runs_.empty()) {
        SortInMemory();
        return;
    }
    if (!entries_.empty())
        WriteRun();
    // Only the windows of the runs take memory now.
    entries_ = {};
    chunks_.clear();
    chunkSizes_.clear();
    arenaUsed_ = 0;
    // Too many runs to read at once: each kMaxWays of them in turn are
    // merged into one, in order, pass after pass, until few enough are left.
    // Each pass writes a file of its own, and the last one's room is freed.
    while (runs_.size() > kMaxWays) {
        auto passFile = std::make_unique<TemporaryFile>(folder_);
        std::vector<Run> merged;
        for (std::size_t first = 0; first < runs_.size(); first += kMaxWays) {
            const std::size_t last = std::min(runs_.size(), first + kMaxWays);
            Merge merge(*file_,
                        std::vector<Run>(runs_.begin() + static_cast<std::ptrdiff_t>(first),
                                         runs_.begin() + static_cast<std::ptrdiff_t>(last)));
            const std::uint64_t begin = passFile->size();
            std::string out;
            std::string_view key, value;
            while (merge.Next(key, value)) {
                AppendRunRecord(out, key, value);
                if (out.size() >= kWriteBytes) {
                    passFile->Append(out.data(), out.size());
                    out.clear();
                }
            }
            passFile->Append(out.data(), out.size());
            merged.push_back(Run{begin, passFile->size()});
        }
        diskPeak_ = std::max(diskPeak_, file_->size() + passFile->size());
        file_ = std::move(passFile);
        runs_ = std::move(merged);
    }
    merge_ = std::make_unique<Merge>(*file_, runs_);
}

bool RecordSorter::Next(std::string_view& key, std::string_view& value) {
    if (!finished_)
        Finish();
    if (merge_)
        return merge_->Next(key, value);
    if (next_ == entries_.size())
        return false;
    const Entry& entry = entries_[next_++];
    const char* at = At(entry.location);
    key = std::string_view(at, entry.keySize);
    value = std::string_view(at + entry.keySize, entry.valueSize);
    return true;
}

} // namespace ornavex
