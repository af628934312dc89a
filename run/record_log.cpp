#include "run/record_log.h"

#include "run/varint.h"

#include <algorithm>

namespace ornavex {
namespace {

// Reading back a log's file, a window at a time.
constexpr std::size_t kReadWindowBytes = 1 << 20;

} // namespace

FramedReader::FramedReader(const TemporaryFile* file, std::uint64_t begin, std::uint64_t end,
                           std::size_t windowBytes)
    : file_(file), next_(begin), end_(end), windowBytes_(windowBytes) {}

bool FramedReader::Next(std::string_view& record) {
    for (;;) {
        std::string_view rest = std::string_view(window_).substr(at_);
        if (TakeFramed(rest, record)) {
            at_ = window_.size() - rest.size();
            return true;
        }
        if (next_ >= end_)
            return false;
        // The part of a record at the window's end stays, the rest follows.
        window_.erase(0, at_);
        at_ = 0;
        const auto take = static_cast<std::size_t>(
            std::min<std::uint64_t>(std::max(windowBytes_, window_.size()), end_ - next_));
        const std::size_t kept = window_.size();
        window_.resize(kept + take);
        file_->ReadAt(next_, window_.data() + kept, take);
        next_ += take;
    }
}

RecordLog::RecordLog(std::filesystem::path folder, std::size_t memoryBytes)
    : folder_(std::move(folder)), memoryBytes_(std::max<std::size_t>(memoryBytes, 1 << 16)) {}

void RecordLog::Append(std::string_view record) {
    const std::size_t need = buffer_.size() + record.size() + 10;
    if (need > buffer_.capacity()) // never doubled past the memory it may take
        buffer_.reserve(std::max(need, std::min(2 * buffer_.capacity(), memoryBytes_)));
    AppendVarint(buffer_, record.size());
    buffer_.append(record);
    ++count_;
    if (buffer_.size() < memoryBytes_ || inMemoryOnly_)
        return;
    try {
        if (!file_)
            file_ = std::make_unique<TemporaryFile>(folder_);
        file_->Append(buffer_.data(), buffer_.size());
        fileBytes_ = file_->size();
        buffer_.clear();
    } catch (const TemporaryDataError&) {
        // No room on disk: the records stay in memory, whatever they take,
        // as they did before there was a disk to go to.
        inMemoryOnly_ = true;
    }
}

RecordLog::Reader RecordLog::Read() const {
    Reader reader;
    if (file_)
        reader.file_ = FramedReader(file_.get(), 0, fileBytes_, kReadWindowBytes);
    reader.memory_ = buffer_;
    return reader;
}

bool RecordLog::Reader::Next(std::string_view& record) {
    return file_.Next(record) || TakeFramed(memory_, record);
}

} // namespace ornavex
