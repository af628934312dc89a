#include "engine/address_set.h"

#include <cstring>

namespace ornavex {
namespace {

constexpr std::size_t kInitialSlots = 1024;  // power of two
constexpr std::size_t kChunkBytes = 1 << 20; // arena chunk

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 32;
    h *= 0xd6e8feb86659fd93ULL;
    h ^= h >> 32;
    return h;
}

std::uint64_t HashKey(std::string_view key) {
    const char* p = key.data();
    std::size_t n = key.size();
    std::uint64_t h = 0x9e3779b97f4a7c15ULL ^ n;
    while (n >= 8) {
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        h = (h ^ v) * 0xbf58476d1ce4e5b9ULL;
        h ^= h >> 29;
        p += 8;
        n -= 8;
    }
    std::uint64_t v = 0;
    std::memcpy(&v, p, n);
    h = (h ^ v) * 0x94d049bb133111ebULL;
    return Mix(h);
}

} // namespace

AddressSet::AddressSet() : slots_(kInitialSlots) {}

std::size_t AddressSet::FindSlot(std::string_view key, std::uint64_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash);
    for (std::size_t i = (hash >> 32) & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.key == nullptr) return i;
        if (slot.hash == tag && slot.length == key.size() &&
            std::memcmp(slot.key, key.data(), key.size()) == 0)
            return i;
    }
}

bool AddressSet::Contains(std::string_view key) const {
    return slots_[FindSlot(key, HashKey(key))].key != nullptr;
}

bool AddressSet::InsertLowerCased(std::string_view address) {
    scratch_.resize(address.size());
    for (std::size_t i = 0; i < address.size(); ++i) {
        char c = address[i];
        scratch_[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
    }
    const std::string_view key = scratch_;
    const std::uint64_t hash = HashKey(key);
    std::size_t index = FindSlot(key, hash);
    if (slots_[index].key != nullptr) return false;

    // Keep the load factor at or below 3/4.
    if ((count_ + 1) * 4 > slots_.size() * 3) {
        Grow();
        index = FindSlot(key, hash);
    }
    slots_[index] = Slot{StoreKey(key), static_cast<std::uint32_t>(key.size()),
                         static_cast<std::uint32_t>(hash)};
    ++count_;
    return true;
}

const char* AddressSet::StoreKey(std::string_view key) {
    // An empty key still needs a non-null pointer to mark its slot as used.
    const std::size_t need = key.empty() ? 1 : key.size();
    if (need > chunkLeft_) {
        const std::size_t size = need > kChunkBytes / 4 ? need : kChunkBytes;
        chunks_.push_back(std::make_unique<char[]>(size));
        char* chunk = chunks_.back().get();
        if (size != need) { // a big key gets a chunk of its own; keep the current one
            chunkFree_ = chunk;
            chunkLeft_ = size;
        } else {
            std::memcpy(chunk, key.data(), key.size());
            return chunk;
        }
    }
    char* stored = chunkFree_;
    std::memcpy(stored, key.data(), key.size());
    chunkFree_ += need;
    chunkLeft_ -= need;
    return stored;
}

void AddressSet::Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.key == nullptr) continue;
        const std::string_view key(slot.key, slot.length);
        slots_[FindSlot(key, HashKey(key))] = slot;
    }
}

} // namespace ornavex
