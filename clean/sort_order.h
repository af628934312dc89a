#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace ornavex {

// The orders a list can be shown and written in. Each ignores letter case
// and keeps first-occurrence order among equals.
enum class SortOrder {
    kFirstOccurrence,
    kAddress,
    kDomain, // the text after the "@", then the whole address
    kCount,  // most frequent first
};

// The order's name on the command line: first, address, domain, count.
std::optional<SortOrder> SortOrderNamed(std::string_view name);

// Puts the indexes (into the list, given in first-occurrence order) in the
// order; count(i) is needed for kCount only.
void SortIndexes(std::vector<std::uint32_t>& indexes, SortOrder order,
                 const std::function<std::string_view(std::uint32_t)>& address,
                 const std::function<std::uint64_t(std::uint32_t)>& count = {});

} // namespace ornavex
