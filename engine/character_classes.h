#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace ornavex {

// The ASCII punctuation that can never be part of an address. Each of these
// characters stands for a space: it ends a word.
inline constexpr std::string_view kNonEmailCharacters = ",!\"#$%&'()*/:;<=>?[\\]^`{|}~";
static_assert(kNonEmailCharacters.size() == 27);

// What each byte can be in a word; every table of the engine is this one.
enum ByteClass : std::uint8_t {
    kSeparator = 1,   // ends a word: the punctuation above, space, TAB, CR, LF
    kLetter = 2,      // ASCII letters
    kDigit = 4,       // ASCII digits
    kDash = 8,        // '-'
    kUnderscore = 16, // '_'
    kPeriod = 32,     // '.'
    // What may start a local part, stand in one, and stand in a domain label.
    kLocalFirst = kLetter | kDigit | kDash | kUnderscore,
    kLocal = kLocalFirst | kPeriod,
    kLabel = kLetter | kDigit | kDash,
};

// NUL, other control characters and every byte outside ASCII are none of
// these: they stay inside words, and no address holds them.
inline constexpr std::array<std::uint8_t, 256> kByteClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (char c : kNonEmailCharacters)
        classes[static_cast<unsigned char>(c)] = kSeparator;
    for (unsigned char c : {' ', '\t', '\r', '\n'})
        classes[c] = kSeparator;
    for (int c = 'a'; c <= 'z'; ++c) {
        classes[c] = kLetter;
        classes[c - 'a' + 'A'] = kLetter;
    }
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = kDigit;
    classes['-'] = kDash;
    classes['_'] = kUnderscore;
    classes['.'] = kPeriod;
    return classes;
}();

inline std::uint8_t ClassOf(char c) {
    return kByteClasses[static_cast<unsigned char>(c)];
}

inline bool IsSeparator(unsigned char byte) {
    return kByteClasses[byte] & kSeparator;
}

} // namespace ornavex
