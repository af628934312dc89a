#include "run/sorted_keys.h"

#include "run/varint.h"

#include <algorithm>

namespace ornavex {
namespace {

// Small, since a lookup reads a whole block.
constexpr std::size_t kBlockBytes = 16 << 10;
constexpr std::size_t kReadWindowBytes = 1 << 20;

} // namespace

SortedKeys::SortedKeys(const std::filesystem::path& folder) : file_(folder) {}

void SortedKeys::Add(std::string_view key) {
    if (count_ != 0 && key == last_)
        return;
    if (block_.empty())
        firsts_.emplace_back(key);
    AppendVarint(block_, key.size());
    block_.append(key);
    last_.assign(key);
    ++count_;
    if (block_.size() >= kBlockBytes)
        WriteBlock();
}

void SortedKeys::WriteBlock() {
    if (block_.empty())
        return;
    offsets_.push_back(file_.Append(block_.data(), block_.size()));
    block_.clear();
}

void SortedKeys::Finish() {
    WriteBlock();
    offsets_.push_back(file_.size()); // where the last block ends
}

bool SortedKeys::Contains(std::string_view key) const {
    // The last block whose first key is not past the key.
    const auto after = std::upper_bound(
        firsts_.begin(), firsts_.end(), key,
        [](std::string_view k, const std::string& first) { return k < std::string_view(first); });
    if (after == firsts_.begin())
        return false;
    const auto block = static_cast<std::size_t>(after - firsts_.begin() - 1);
    std::string bytes(static_cast<std::size_t>(offsets_[block + 1] - offsets_[block]), '\0');
    file_.ReadAt(offsets_[block], bytes.data(), bytes.size());
    std::string_view rest = bytes;
    for (std::string_view stored; TakeFramed(rest, stored);) {
        if (stored == key)
            return true;
        if (stored > key)
            return false;
    }
    return false;
}

FramedReader SortedKeys::Read() const {
    return FramedReader(&file_, 0, file_.size(), kReadWindowBytes);
}

} // namespace ornavex
