#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace ornavex {

// The parts of an address as the extractor found it: the local part before
// the last "@", the domain after it.
inline std::string_view LocalPart(std::string_view address) {
    const std::size_t at = address.rfind('@');
    return at == std::string_view::npos ? address : address.substr(0, at);
}
inline std::string_view DomainOf(std::string_view address) {
    const std::size_t at = address.rfind('@');
    return at == std::string_view::npos ? std::string_view() : address.substr(at + 1);
}

// ASCII letter case folded, as the de-duplication folds it.
inline std::string LowerCased(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    });
    return lower;
}
inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace ornavex
