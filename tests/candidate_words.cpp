#include "candidate_words.h"

#include "test_support.h"

#include <string>

namespace ornavex {

std::vector<std::string_view> ExtractAtPeriodWords(std::string_view text) {
    std::string replaced(text);
    testing::ReplaceNonEmailCharacters(replaced);
    std::vector<std::string_view> words;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= replaced.size(); ++i) {
        if (i < replaced.size() &&
            std::string_view(" \t\r\n").find(replaced[i]) == std::string_view::npos)
            continue;
        const std::string_view word = text.substr(start, i - start);
        if (word.find('@') != std::string_view::npos && word.find('.') != std::string_view::npos)
            words.push_back(word);
        start = i + 1;
    }
    return words;
}

} // namespace ornavex
