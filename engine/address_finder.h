#pragma once

#include "engine/character_classes.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace ornavex {

namespace address_finder_detail {

enum : std::uint8_t {
    kSep = 1,        // ends a word
    kLocal = 2,      // may stand in a local part: letters, digits, '_', '-', '.'
    kLocalFirst = 4, // may start a local part: the same without '.'
    kLabel = 8,      // may stand in a domain label: letters, digits, '-'
    kLetter = 16,    // ASCII letter
};

inline constexpr std::array<std::uint8_t, 256> kClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c)
        if (kSeparatorBytes[c])
            classes[c] = kSep;
    auto add = [&](int c, std::uint8_t bits) { classes[c] |= bits; };
    for (int c = 'a'; c <= 'z'; ++c) {
        add(c, kLocal | kLocalFirst | kLabel | kLetter);
        add(c - 'a' + 'A', kLocal | kLocalFirst | kLabel | kLetter);
    }
    for (int c = '0'; c <= '9'; ++c)
        add(c, kLocal | kLocalFirst | kLabel);
    add('-', kLocal | kLocalFirst | kLabel);
    add('_', kLocal | kLocalFirst);
    add('.', kLocal);
    return classes;
}();

} // namespace address_finder_detail

// Calls onAddress for every address of text, repeats included, in text
// order: each word that, after one trailing period is dropped, matches the
// address pattern. Words are found from their '@' signs and checked in the
// same pass that finds their ends; the text must hold whole words. Gives the
// same addresses as cutting candidate words and testing IsEmailAddress on
// each (words never hold '[' or ']', so the bracket forms cannot occur).
template <class OnAddress> void FindAddresses(std::string_view text, OnAddress&& onAddress) {
    using namespace address_finder_detail;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* done = begin; // everything before this has been examined
    while (done < end) {
        const auto* at = static_cast<const char*>(std::memchr(done, '@', end - done));
        if (at == nullptr)
            return;

        // The local part, backwards from the '@' to the word's start.
        const char* start = at;
        bool localOk = true;
        while (start > done) {
            const std::uint8_t c = kClasses[static_cast<unsigned char>(start[-1])];
            if (c & kSep)
                break;
            localOk &= (c & kLocal) != 0;
            --start;
        }
        localOk = localOk && start < at &&
                  (kClasses[static_cast<unsigned char>(*start)] & kLocalFirst) != 0;

        // The domain, forwards to the word's end: labels closed by periods.
        const char* stop = at + 1;
        bool domainOk = true;
        bool emptyLabel = false;
        int closedLabels = 0;
        std::size_t labelLength = 0, closedLength = 0;
        bool labelLetters = true, closedLetters = false;
        for (; stop < end; ++stop) {
            const char ch = *stop;
            const std::uint8_t c = kClasses[static_cast<unsigned char>(ch)];
            if (c & kSep)
                break;
            if (ch == '.') {
                emptyLabel |= labelLength == 0;
                ++closedLabels;
                closedLength = labelLength;
                closedLetters = labelLetters;
                labelLength = 0;
                labelLetters = true;
                continue;
            }
            domainOk &= (c & kLabel) != 0;
            labelLetters &= (c & kLetter) != 0;
            ++labelLength;
        }
        done = stop;
        if (!localOk || !domainOk || emptyLabel)
            continue;

        // One trailing period is dropped: the top-level label is then the
        // last label it closed.
        const bool trailingPeriod = labelLength == 0 && closedLabels > 0;
        const bool valid = trailingPeriod ? closedLabels >= 2 && closedLength >= 2 && closedLetters
                                          : closedLabels >= 1 && labelLength >= 2 && labelLetters;
        if (valid)
            onAddress(std::string_view(start, (stop - trailingPeriod) - start));
    }
}

} // namespace ornavex
