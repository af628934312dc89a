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

// Orders names ignoring the case of ASCII letters (ties broken by the exact
// bytes, so the order is total).
bool LessIgnoringCase(NativeView a, NativeView b);

// A key for sorting many names in that order cheaply: keys compare as plain
// strings in the order LessIgnoringCase gives, except that names equal but
// for case have equal keys and are then told apart by the names themselves.
NativeString CaseFoldedSortKey(NativeView name);

} // namespace ornavex
