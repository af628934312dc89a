#pragma once

#include "engine/address_pattern.h"
#include "engine/address_set.h"
#include "engine/candidate_words.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

struct ExtractionCounts {
    std::uint64_t addressesFound = 0;  // valid addresses, repeats included
    std::uint64_t uniqueAddresses = 0; // of those, the ones new to the set
};

// A candidate word after its one trailing period is dropped, when it is an
// address.
inline std::optional<std::string_view> ValidAddress(std::string_view word) {
    if (!word.empty() && word.back() == '.')
        word.remove_suffix(1);
    if (word.find('.') == std::string_view::npos || word.find('@') == std::string_view::npos)
        return std::nullopt;
    if (!IsEmailAddress(word))
        return std::nullopt;
    return word;
}

// Valid addresses waiting for their set lookup. A large set misses the cache
// twice per lookup (slot, then key), so lookups run as a pipeline: the slot of
// address i + 2d and the key of address i + d are loaded while address i is
// looked up. The lookups themselves still run one by one in text order.
class AddressBatch {
public:
    bool Add(std::string_view address) {
        hashes_[size_] = AddressSet::Hash(address);
        addresses_[size_] = address;
        return ++size_ == kCapacity;
    }

    template <class OnAddress>
    void Flush(AddressSet& seen, ExtractionCounts& counts, OnAddress&& onAddress) {
        for (std::size_t i = 0; i < size_ + 2 * kDistance; ++i) {
            if (i < size_)
                seen.PrefetchSlot(hashes_[i]);
            if (i >= kDistance && i - kDistance < size_)
                seen.PrefetchKey(hashes_[i - kDistance]);
            if (i >= 2 * kDistance) {
                const std::size_t k = i - 2 * kDistance;
                if (seen.InsertLowerCased(addresses_[k], hashes_[k])) {
                    ++counts.uniqueAddresses;
                    onAddress(addresses_[k]);
                }
            }
        }
        size_ = 0;
    }

private:
    static constexpr std::size_t kCapacity = 256;
    static constexpr std::size_t kDistance = 8;
    std::array<std::string_view, kCapacity> addresses_;
    std::array<std::uint64_t, kCapacity> hashes_;
    std::size_t size_ = 0;
};

// Finds the addresses of text that are new to seen, records them in seen and
// calls onAddress for each, in text order and spelled as written. The text
// must hold whole words: a word cut at its end is examined as it stands.
template <class OnAddress>
void ExtractEmails(std::string_view text, AddressSet& seen, ExtractionCounts& counts,
                   OnAddress&& onAddress) {
    AddressBatch batch;
    ForEachCandidateWord(text, [&](std::string_view word) {
        const std::optional<std::string_view> address = ValidAddress(word);
        if (!address)
            return;
        ++counts.addressesFound;
        if (batch.Add(*address))
            batch.Flush(seen, counts, onAddress);
    });
    batch.Flush(seen, counts, onAddress);
}

// The new addresses of text as a list, in text order.
std::vector<std::string> ExtractEmailToArray(std::string_view text, AddressSet& seen);

} // namespace ornavex
