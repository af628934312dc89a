#pragma once

#include "engine/address_pattern.h"
#include "engine/address_set.h"
#include "engine/candidate_words.h"

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

// Calls onAddress for every valid address of text, repeats included, in text
// order. The text must hold whole words: a word cut at its end is examined as
// it stands.
template <class OnAddress> void ForEachValidAddress(std::string_view text, OnAddress&& onAddress) {
    ForEachCandidateWord(text, [&](std::string_view word) {
        if (const std::optional<std::string_view> address = ValidAddress(word))
            onAddress(*address);
    });
}

// The addresses of text that are new to seen, in text order and spelled as
// written; they are added to seen.
std::vector<std::string> ExtractEmailToArray(std::string_view text, AddressSet& seen,
                                             ExtractionCounts* counts = nullptr);

} // namespace ornavex
