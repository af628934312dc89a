#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace ornavex {

// The ASCII punctuation that can never be part of an address. Each of these
// characters is turned into a space before text is cut into words.
inline constexpr std::string_view kNonEmailCharacters = ",!\"#$%&'()*/:;<=>?[\\]^`{|}~";
static_assert(kNonEmailCharacters.size() == 27);

// Bytes that end a word: the non-email punctuation (which stands for a space),
// space, TAB, CR and LF. NUL, other control characters and every byte outside
// ASCII stay inside words.
inline constexpr std::array<bool, 256> kSeparatorBytes = [] {
    std::array<bool, 256> table{};
    for (char c : kNonEmailCharacters)
        table[static_cast<unsigned char>(c)] = true;
    for (unsigned char c : {' ', '\t', '\r', '\n'})
        table[c] = true;
    return table;
}();

inline bool IsSeparator(unsigned char byte) {
    return kSeparatorBytes[byte];
}

} // namespace ornavex
