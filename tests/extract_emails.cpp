#include "extract_emails.h"

#include "engine/insert_new_in_order.h"

namespace ornavex {

std::vector<std::string> ExtractEmailToArray(std::string_view text, AddressSet& seen,
                                             ExtractionCounts* counts, AddressPattern pattern) {
    std::vector<HashedAddress> found;
    FindAddresses(
        text,
        [&](std::string_view address) {
            found.push_back({address, seen.Hash(address)});
        },
        WordCheck::kFastest, pattern);
    std::vector<std::string> addresses;
    const std::size_t added = InsertNewInOrder(
        seen, found, [&](std::size_t index) { addresses.emplace_back(found[index].address); });
    if (counts != nullptr) {
        counts->addressesFound += found.size();
        counts->uniqueAddresses += added;
    }
    return addresses;
}

} // namespace ornavex
