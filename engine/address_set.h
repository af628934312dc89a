#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// The run-wide set of addresses already emitted, keyed by their ASCII
// lower-case form. An open-addressing table of slots that point into an arena
// of key bytes: every key is stored once, with no allocation of its own.
class AddressSet {
public:
    AddressSet();
    AddressSet(const AddressSet&) = delete;
    AddressSet& operator=(const AddressSet&) = delete;

    // Lower-cases the address (ASCII letters only) and inserts it. Returns true
    // when it was not in the set before.
    bool InsertLowerCased(std::string_view address);

    // Exact membership test of an already lower-cased key.
    bool Contains(std::string_view key) const;

    std::size_t size() const { return count_; }

private:
    struct Slot {
        const char* key = nullptr;
        std::uint32_t length = 0;
        std::uint32_t hash = 0; // low bits of the full hash, to skip most key compares
    };

    std::size_t FindSlot(std::string_view key, std::uint64_t hash) const;
    const char* StoreKey(std::string_view key);
    void Grow();

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
    std::vector<std::unique_ptr<char[]>> chunks_;
    char* chunkFree_ = nullptr;
    std::size_t chunkLeft_ = 0;
    std::string scratch_;
};

} // namespace ornavex
