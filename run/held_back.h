#pragma once

#include "engine/address_set.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace ornavex {

// The new addresses of the file being read, held back until the file has
// been read to its end. Each is kept as its key in the address set and the
// letter case it was written in, so holding back a million addresses costs
// a few megabytes, not a copy of them all.
class HeldBack {
public:
    explicit HeldBack(AddressSet& set) : set_(set) {}

    // An address the set has just taken in: its key is set.LastKey(), its
    // letters set.LastUpperCase().
    void Add(std::string_view address);
    std::size_t size() const { return entries_.size(); }
    // What the entries, masks and whole spellings take.
    std::size_t MemoryBytes() const {
        return entries_.size() * sizeof(Entry) + masks_.size() * sizeof(std::uint64_t) +
               whole_.capacity();
    }
    // The key of the i-th address held back; those after it are greater.
    AddressSet::KeyReference KeyAt(std::size_t i) const { return entries_[i].key; }

    // Every address held back, in order, spelled as it was written.
    template <class OnAddress> void ForEach(OnAddress&& onAddress) {
        for (const Entry& entry : entries_)
            onAddress(Spelling(entry));
    }
    // The set forgets the addresses held back again: all of them, or those
    // from the first-th on (a member of the file that failed).
    void Void(std::size_t first = 0);
    void Clear();

private:
    // A spelling of up to 64 bytes is the key with the letters its mask
    // marks in upper case; a longer one, not all lower case, is kept whole.
    // A mask with no letter past the first 30 bytes, as most have, is kept
    // in the entry itself.
    static constexpr std::uint32_t kLowerCase = 0xFFFFFFFF;
    static constexpr std::uint32_t kKeptWhole = 0x80000000;
    static constexpr std::uint32_t kInlineMask = 0x40000000;
    struct Entry {
        AddressSet::KeyReference key;
        // kLowerCase, kInlineMask | mask, an index into masks_, or
        // kKeptWhole | offset into whole_
        std::uint32_t spelling;
    };

    std::string_view Spelling(const Entry& entry);

    AddressSet& set_;
    std::deque<Entry> entries_;
    std::deque<std::uint64_t> masks_;
    std::string whole_; // the long spellings, back to back
    static constexpr std::size_t kSpelledBytes = 64;
    char spelled_[kSpelledBytes]{}; // the last spelling made
};

} // namespace ornavex
