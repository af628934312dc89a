#pragma once

#include "engine/address_finder.h"
#include "engine/address_pattern.h"
#include "engine/address_set.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

struct ExtractionCounts {
    std::uint64_t addressesFound = 0;  // valid addresses, repeats included
    std::uint64_t uniqueAddresses = 0; // of those, the ones new to the set
};

// The engine in one call, for the tests: the addresses of text that are new to seen, in text order
// and spelled as written; they are added to seen.
std::vector<std::string>
ExtractEmailToArray(std::string_view text, AddressSet& seen, ExtractionCounts* counts = nullptr,
                    AddressPattern pattern = AddressPattern::kSubAddresses);

} // namespace ornavex
