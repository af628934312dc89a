#pragma once

#include "engine/address_pattern.h"
#include "engine/address_set.h"
#include "engine/candidate_words.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

struct ExtractionCounts {
    std::uint64_t addressesFound = 0;  // valid addresses, repeats included
    std::uint64_t uniqueAddresses = 0; // of those, the ones new to the set
};

// One candidate word through trimming, validation and de-duplication. Calls
// onAddress with the address as written when it is valid and new to seen.
template <class OnAddress>
void ExamineCandidate(std::string_view word, AddressSet& seen, ExtractionCounts& counts,
                      OnAddress&& onAddress) {
    if (!word.empty() && word.back() == '.') // exactly one trailing period goes
        word.remove_suffix(1);
    if (word.find('.') == std::string_view::npos || word.find('@') == std::string_view::npos)
        return;
    if (!IsEmailAddress(word)) return;
    ++counts.addressesFound;
    if (seen.InsertLowerCased(word)) {
        ++counts.uniqueAddresses;
        onAddress(word);
    }
}

// Finds the addresses of text that are new to seen, records them in seen and
// calls onAddress for each, in text order and spelled as written. The text
// must hold whole words: a word cut at its end is examined as it stands.
template <class OnAddress>
void ExtractEmails(std::string_view text, AddressSet& seen, ExtractionCounts& counts,
                   OnAddress&& onAddress) {
    ForEachCandidateWord(
        text, [&](std::string_view word) { ExamineCandidate(word, seen, counts, onAddress); });
}

// The new addresses of text as a list, in text order.
std::vector<std::string> ExtractEmailToArray(std::string_view text, AddressSet& seen);

} // namespace ornavex
