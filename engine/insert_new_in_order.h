#pragma once

#include "engine/address_set.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace ornavex {

// A valid address with its AddressSet::Hash, ready for the set lookup.
struct HashedAddress {
    std::string_view address;
    std::uint64_t hash = 0;
};

// Inserts the count addresses addressAt(0), addressAt(1), ... (each a
// HashedAddress) into seen in order and calls onNew with the index of each
// one that was not there before; returns how many were new. A large set
// misses the cache twice per lookup (slot, then key), so the lookups run as a
// pipeline: the slot of address i + 2d and the key of address i + d load while
// address i is looked up. The lookups themselves still happen one by one, in
// order. Taking the addresses through addressAt spares the caller a copy of
// them into a list of its own.
template <class AddressAt, class OnNew>
std::size_t InsertNewInOrder(AddressSet& seen, std::size_t count, AddressAt&& addressAt,
                             OnNew&& onNew) {
    constexpr std::size_t kDistance = 8;
    const std::size_t n = count;
    std::size_t added = 0;
    for (std::size_t i = 0; i < n + 2 * kDistance; ++i) {
        if (i < n)
            seen.PrefetchSlot(addressAt(i).hash);
        if (i >= kDistance && i - kDistance < n)
            seen.PrefetchKey(addressAt(i - kDistance).hash);
        if (i >= 2 * kDistance) {
            const HashedAddress item = addressAt(i - 2 * kDistance);
            if (seen.InsertLowerCased(item.address, item.hash)) {
                ++added;
                onNew(i - 2 * kDistance);
            }
        }
    }
    return added;
}

// The same over a list of addresses.
template <class OnNew>
std::size_t InsertNewInOrder(AddressSet& seen, std::span<const HashedAddress> addresses,
                             OnNew&& onNew) {
    return InsertNewInOrder(
        seen, addresses.size(), [&](std::size_t i) -> const HashedAddress& { return addresses[i]; },
        onNew);
}

} // namespace ornavex
