#pragma once

#include <string_view>
#include <vector>

namespace ornavex {

// The words of text that hold both an '@' and a '.', as views into it, in
// text order: the text with its punctuation replaced
// (testing::ReplaceNonEmailCharacters), cut at spaces, TABs, CRs and LFs.
std::vector<std::string_view> ExtractAtPeriodWords(std::string_view text);

} // namespace ornavex
