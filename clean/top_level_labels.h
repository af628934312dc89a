#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <unordered_set>

namespace ornavex {

// The top-level labels that the rules of a public suffix list's ICANN
// section end in, in ASCII (AsciiLabel) and lower case.
std::unordered_set<std::string> TopLevelLabelsOfList(std::istream& list);

// A domain label in ASCII: as it is when it is ASCII, otherwise its IDNA form
// ("xn--" and the label in Punycode). The label must be UTF-8.
std::string AsciiLabel(std::string_view label);

} // namespace ornavex
