#include "candidate_words.h"

namespace ornavex {

std::string& ReplaceNonEmailCharacters(std::string& text) {
    for (char& c : text)
        if (IsSeparator(static_cast<unsigned char>(c)) && c != '\t' && c != '\r' && c != '\n')
            c = ' ';
    return text;
}

std::vector<std::string_view> ExtractAtPeriodWords(std::string_view text) {
    std::vector<std::string_view> words;
    ForEachCandidateWord(text, [&](std::string_view word) { words.push_back(word); });
    return words;
}

} // namespace ornavex
