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

NativeString CaseFoldedSortKey(NativeView name) {
    using Char = NativeView::value_type;
    NativeString key(name);
    for (Char& c : key) {
        c = FoldCase(c);
        // Names are ordered comparing chars as the type holds them, signed
        // where char is; string comparison treats chars as unsigned.
        // Flipping the sign bit makes the two agree.
        if constexpr (std::is_same_v<Char, char> && std::is_signed_v<char>)
            c = static_cast<Char>(c ^ std::numeric_limits<Char>::min());
    }
    return key;
}

} // namespace ornavex
