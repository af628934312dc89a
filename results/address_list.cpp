#include "results/address_list.h"

namespace ornavex {
namespace {

constexpr std::size_t kChunkBytes = 4 << 20;

} // namespace

AddressList::AddressList(std::initializer_list<std::string_view> addresses) {
    for (std::string_view address : addresses)
        Append(address);
}

AddressList::AddressList(const std::vector<std::string>& addresses) {
    for (const std::string& address : addresses)
        Append(address);
}

void AddressList::Append(std::string_view address) {
    if (chunks_.empty() || chunks_.back().capacity() - chunks_.back().size() < address.size()) {
        chunks_.emplace_back();
        chunks_.back().reserve(address.size() > kChunkBytes ? address.size() : kChunkBytes);
    }
    std::string& chunk = chunks_.back();
    const std::size_t at = chunk.size();
    chunk.append(address); // within the reserved capacity: no reallocation
    views_.emplace_back(chunk.data() + at, address.size());
}

void AddressList::Append(const AddressList& other) {
    for (std::string_view address : other.views_)
        Append(address);
}

void AddressList::clear() {
    chunks_ = {};
    views_ = {};
}

} // namespace ornavex
