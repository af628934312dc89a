#include "output/address_list.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace ornavex {
namespace {

constexpr std::size_t kChunkBytes = 4 << 20;

} // namespace

AddressList::AddressList(AddressList&& other) noexcept
    : byteBlocks_(std::move(other.byteBlocks_)), free_(std::exchange(other.free_, nullptr)),
      freeLeft_(std::exchange(other.freeLeft_, 0)), viewMemory_(std::move(other.viewMemory_)),
      viewBlocks_(std::move(other.viewBlocks_)), size_(std::exchange(other.size_, 0)) {
    other.byteBlocks_.clear();
    other.viewMemory_.clear();
    other.viewBlocks_.clear();
}

AddressList::~AddressList() = default;

void AddressList::Append(std::string_view address) {
    if (size_ % kViewsPerBlock == 0 && size_ / kViewsPerBlock == viewBlocks_.size()) {
        viewBlocks_.reserve(viewBlocks_.size() + 1);
        viewMemory_.emplace_back(kViewsPerBlock * sizeof(std::string_view));
        viewBlocks_.push_back(static_cast<std::string_view*>(viewMemory_.back().data()));
    }
    if (freeLeft_ < address.size()) {
        const std::size_t bytes = std::max(address.size(), kChunkBytes);
        byteBlocks_.emplace_back(bytes);
        free_ = static_cast<char*>(byteBlocks_.back().data());
        freeLeft_ = bytes;
    }
    if (!address.empty())
        std::memcpy(free_, address.data(), address.size());
    viewBlocks_[size_ / kViewsPerBlock][size_ % kViewsPerBlock] =
        std::string_view(free_, address.size());
    free_ += address.size();
    freeLeft_ -= address.size();
    ++size_;
}

} // namespace ornavex
