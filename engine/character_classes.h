#pragma once

#include "engine/wide_separator_ranges.h"

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
    kPlus = 64,       // '+', in a local part unless the classic pattern is asked for
    // A byte outside ASCII that starts or ends the UTF-8 form of a wide
    // separator (wide_separators.h): whether it does there takes a closer look.
    kWide = 128,
    // What may start a local part, stand in one, and stand in a domain label.
    kLocalFirst = kLetter | kDigit | kDash | kUnderscore,
    kLocal = kLocalFirst | kPeriod,
    kLabel = kLetter | kDigit | kDash,
};

// The UTF-8 form of a code point from U+0080 up: its bytes and how many.
struct Utf8Bytes {
    std::array<unsigned char, 4> bytes{};
    int size = 0;
};

constexpr Utf8Bytes EncodeUtf8(char32_t cp) {
    Utf8Bytes out;
    if (cp < 0x800) {
        out.bytes = {static_cast<unsigned char>(0xC0 | cp >> 6),
                     static_cast<unsigned char>(0x80 | (cp & 0x3F))};
        out.size = 2;
    } else if (cp < 0x10000) {
        out.bytes = {static_cast<unsigned char>(0xE0 | cp >> 12),
                     static_cast<unsigned char>(0x80 | (cp >> 6 & 0x3F)),
                     static_cast<unsigned char>(0x80 | (cp & 0x3F))};
        out.size = 3;
    } else {
        out.bytes = {static_cast<unsigned char>(0xF0 | cp >> 18),
                     static_cast<unsigned char>(0x80 | (cp >> 12 & 0x3F)),
                     static_cast<unsigned char>(0x80 | (cp >> 6 & 0x3F)),
                     static_cast<unsigned char>(0x80 | (cp & 0x3F))};
        out.size = 4;
    }
    return out;
}

// NUL, other control characters and every other byte outside ASCII are none
// of these: they stay inside words, and no address holds them.
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
    classes['+'] = kPlus;
    for (const CodePointRange range : kWideSeparatorRanges) {
        for (char32_t cp = range.first; cp <= range.last; ++cp) {
            const Utf8Bytes utf8 = EncodeUtf8(cp);
            classes[utf8.bytes[0]] = kWide;
            classes[utf8.bytes[utf8.size - 1]] = kWide;
        }
    }
    return classes;
}();

inline std::uint8_t ClassOf(char c) {
    return kByteClasses[static_cast<unsigned char>(c)];
}

} // namespace ornavex
