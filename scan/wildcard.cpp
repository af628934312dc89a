#include "scan/wildcard.h"

#include <algorithm>
#include <limits>
#include <type_traits>

namespace ornavex {
namespace {

template <class Char> Char FoldCase(Char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<Char>(c + ('a' - 'A')) : c;
}

bool MatchesGlob(NativeView name, NativeView pattern) {
    // Iterative matching with one backtrack point for the last "*".
    std::size_t n = 0, p = 0;
    std::size_t starP = NativeView::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || FoldCase(pattern[p]) == FoldCase(name[n]))) {
            ++p;
            ++n;
        } else if (starP != NativeView::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool MatchesWildcard(NativeView name, NativeView pattern) {
    if (MatchesGlob(name, pattern))
        return true;
    const bool endsWithAnyExtension =
        pattern.size() >= 2 && pattern[pattern.size() - 2] == '.' && pattern.back() == '*';
    return endsWithAnyExtension && name.find('.') == NativeView::npos &&
           MatchesGlob(name, pattern.substr(0, pattern.size() - 2));
}

bool LessIgnoringCase(NativeView a, NativeView b) {
    // One pass: the first letter that differs once folded decides, then the
    // length, then (names equal but for case) the exact bytes.
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = FoldCase(a[i]);
        const auto y = FoldCase(b[i]);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

NativeString CaseFoldedSortKey(NativeView name) {
    using Char = NativeView::value_type;
    NativeString key(name);
    for (Char& c : key) {
        c = FoldCase(c);
        // LessIgnoringCase compares chars as the type holds them, signed
        // where char is; string comparison treats chars as unsigned.
        // Flipping the sign bit makes the two agree.
        if constexpr (std::is_same_v<Char, char> && std::is_signed_v<char>)
            c = static_cast<Char>(c ^ std::numeric_limits<Char>::min());
    }
    return key;
}

} // namespace ornavex
