#include "clean/sort_order.h"

#include "clean/address_parts.h"

#include <algorithm>
#include <string>

namespace ornavex {

std::optional<SortOrder> SortOrderNamed(std::string_view name) {
    if (name == "first")
        return SortOrder::kFirstOccurrence;
    if (name == "address")
        return SortOrder::kAddress;
    if (name == "domain")
        return SortOrder::kDomain;
    if (name == "count")
        return SortOrder::kCount;
    return std::nullopt;
}

namespace {

// Reorders the indexes by less, which compares their positions, keeping
// the order of equals.
template <class Less> void StableOrder(std::vector<std::uint32_t>& indexes, Less less) {
    std::vector<std::uint32_t> positions(indexes.size());
    for (std::uint32_t i = 0; i < positions.size(); ++i)
        positions[i] = i;
    std::stable_sort(positions.begin(), positions.end(), less);
    std::vector<std::uint32_t> sorted(indexes.size());
    for (std::size_t i = 0; i < positions.size(); ++i)
        sorted[i] = indexes[positions[i]];
    indexes.swap(sorted);
}

} // namespace

void SortIndexes(std::vector<std::uint32_t>& indexes, SortOrder order,
                 const std::function<std::string_view(std::uint32_t)>& address,
                 const std::function<std::uint64_t(std::uint32_t)>& count) {
    // Indexes ascending are first-occurrence order; the sorts below keep it
    // among equals.
    std::sort(indexes.begin(), indexes.end());
    if (order == SortOrder::kFirstOccurrence)
        return;
    if (order == SortOrder::kCount) {
        std::vector<std::uint64_t> counts(indexes.size());
        for (std::size_t i = 0; i < indexes.size(); ++i)
            counts[i] = count(indexes[i]);
        StableOrder(indexes,
                    [&](std::uint32_t a, std::uint32_t b) { return counts[a] > counts[b]; });
        return;
    }
    // Lower-cased keys, made once and back to back: folding in every
    // comparison costs more. By domain, the key is the domain, a zero byte
    // (below every character, so a.com comes before a.com.au) and the address.
    std::string keyText;
    std::vector<std::size_t> keyStarts(indexes.size() + 1);
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        const std::string_view text = address(indexes[i]);
        if (order == SortOrder::kDomain) {
            keyText.append(DomainOf(text));
            keyText.push_back('\0');
        }
        keyText.append(text);
        keyStarts[i + 1] = keyText.size();
    }
    for (char& c : keyText)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + ('a' - 'A'));
    const std::string_view keys(keyText);
    const auto key = [&](std::uint32_t i) {
        return keys.substr(keyStarts[i], keyStarts[i + 1] - keyStarts[i]);
    };
    StableOrder(indexes, [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
}

} // namespace ornavex
