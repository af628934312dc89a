#pragma once

#include "engine/large_block.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ornavex {

// The run-wide set of addresses already emitted, keyed by their ASCII
// lower-case form. An open-addressing table of slots that refer into an arena
// of key bytes: every key is stored once, with no allocation of its own. The
// arena holds up to 16 GiB of keys; past that an insert throws
// std::length_error.
//
// Lookups of a large set miss the cache twice (the slot, then its key).
// Callers that have many addresses at hand hide that latency by prefetching:
// PrefetchSlot for a batch, then PrefetchKey for it, then the inserts.
class AddressSet {
public:
    AddressSet();
    AddressSet(const AddressSet&) = delete;
    AddressSet& operator=(const AddressSet&) = delete;

    // Hash of the ASCII lower-case form of text.
    static std::uint64_t Hash(std::string_view text);

    void PrefetchSlot(std::uint64_t hash) const;
    void PrefetchKey(std::uint64_t hash) const;

    // Inserts the ASCII lower-case form of address. Returns true when it was
    // not in the set before. hash must be Hash(address).
    bool InsertLowerCased(std::string_view address, std::uint64_t hash);
    bool InsertLowerCased(std::string_view address) {
        return InsertLowerCased(address, Hash(address));
    }

    // Membership of the lower-case form of address.
    bool Contains(std::string_view address) const;

    std::size_t size() const { return count_; }

private:
    // Eight bytes, so a cache line holds eight slots. The key is reached
    // through its reference into the arena, where its length comes first.
    struct Slot {
        std::uint32_t tag = 0; // Tag(hash), which also skips most key compares
        std::uint32_t key = 0; // KeyReference of the lower-case bytes; 0: empty
    };

    // A slot's tag is the hash's high half; its low bits pick the home slot,
    // so the table grows without reading a single key.
    static std::uint32_t Tag(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }
    std::size_t Home(std::uint32_t tag) const { return tag & (capacity_ - 1); }
    std::size_t FindSlot(std::string_view address, std::uint32_t tag) const;
    // A stored key: a 32-bit length, then the bytes.
    const char* KeyRecord(std::uint32_t reference) const;
    std::uint32_t StoreLowerCased(std::string_view address);
    void Grow();

    LargeBlock slotMemory_;
    Slot* slots_ = nullptr;
    std::size_t capacity_ = 0; // a power of two
    std::size_t count_ = 0;
    std::vector<LargeBlock> chunks_; // the arena's memory, and outgrown slot tables
    std::vector<char*> chunkStarts_; // where each chunk of the arena starts
    std::size_t chunkUsed_ = 0;      // bytes used in the last chunk
    // Chunk-sized pieces of outgrown slot tables, not yet part of the arena.
    // Their pages are in memory already, which fresh ones are not.
    std::vector<char*> spareChunks_;
};

} // namespace ornavex
