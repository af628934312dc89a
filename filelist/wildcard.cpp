#include "filelist/wildcard.h"

#include <algorithm>

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
    const auto folded = [](auto c) { return FoldCase(c); };
    const bool less =
        std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                     [&](auto x, auto y) { return folded(x) < folded(y); });
    if (less)
        return true;
    const bool greater =
        std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(),
                                     [&](auto x, auto y) { return folded(x) < folded(y); });
    return !greater && a < b;
}

} // namespace ornavex
