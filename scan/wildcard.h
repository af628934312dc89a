#pragma once

#include <filesystem>
#include <string_view>

namespace ornavex {

using NativeString = std::filesystem::path::string_type;
using NativeView = std::basic_string_view<std::filesystem::path::value_type>;

// Matches a file name against a pattern of "*" (any run of characters) and
// "?" (one character), ignoring the case of ASCII letters. As in directory
// listings on Windows, a pattern ending in ".*" also matches names without
// an extension, so "*.*" matches every name.
bool MatchesWildcard(NativeView name, NativeView pattern);

// A key for sorting names ignoring the case of ASCII letters: keys compare
// as plain strings in that order (the first letter that differs once
// folded decides, then the length), and names equal but for case have equal
// keys and are then told apart by the names themselves.
NativeString CaseFoldedSortKey(NativeView name);

} // namespace ornavex
