#pragma once

#include "engine/character_classes.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// Turns every non-email punctuation character of text into a space, in place,
// and returns the text. Its length never changes.
std::string& ReplaceNonEmailCharacters(std::string& text);

// Calls onWord for every word of text that holds both an '@' and a '.', in
// text order. Words are cut at separators (see IsSeparator); cutting the raw
// text gives the same words as cutting it after ReplaceNonEmailCharacters.
// Only the '@' signs are searched for, so text without any costs one memchr.
template <class OnWord> void ForEachCandidateWord(std::string_view text, OnWord&& onWord) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* done = begin; // everything before this has been examined
    while (done < end) {
        const auto* at = static_cast<const char*>(std::memchr(done, '@', end - done));
        if (at == nullptr)
            return;
        const char* start = at;
        while (start > done && !IsSeparator(static_cast<unsigned char>(start[-1])))
            --start;
        const char* stop = at + 1;
        while (stop < end && !IsSeparator(static_cast<unsigned char>(*stop)))
            ++stop;
        std::string_view word(start, stop - start);
        if (word.find('.') != std::string_view::npos)
            onWord(word);
        done = stop;
    }
}

// The candidate words of text, as views into it.
std::vector<std::string_view> ExtractAtPeriodWords(std::string_view text);

} // namespace ornavex
