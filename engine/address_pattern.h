#pragma once

#include "engine/character_classes.h"

#include <cstdint>
#include <string_view>

namespace ornavex {

// Which address pattern words are checked against: the one that takes '+'
// in the local part (sub-addresses such as name+tag@example.com), or the
// classic one, without it, for anyone who relies on the old results.
enum class AddressPattern : std::uint8_t { kSubAddresses, kClassic };

// The address patterns in ECMAScript syntax. IsEmailAddress accepts exactly
// the words that the chosen pattern matches in full, case-sensitively. They
// differ only in the '+' of the local part: anywhere but first, like '.'.
inline constexpr std::string_view kAddressPattern =
    R"(^([a-zA-Z0-9_\-])([a-zA-Z0-9_\-\.\+]*)@(\[((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\.){3}|((([a-zA-Z0-9\-]+)\.)+))([a-zA-Z]{2,}|(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\])$)";
inline constexpr std::string_view kClassicAddressPattern =
    R"(^([a-zA-Z0-9_\-])([a-zA-Z0-9_\-\.]*)@(\[((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\.){3}|((([a-zA-Z0-9\-]+)\.)+))([a-zA-Z]{2,}|(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\])$)";

// The byte classes that may stand in a local part after its first byte.
constexpr std::uint8_t LocalClasses(AddressPattern pattern) {
    return pattern == AddressPattern::kClassic ? kLocal : kLocal | kPlus;
}

// True when the whole word matches the pattern. A single pass over the word,
// without backtracking.
bool IsEmailAddress(std::string_view word, AddressPattern pattern = AddressPattern::kSubAddresses);

} // namespace ornavex
