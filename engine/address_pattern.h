#pragma once

#include <string_view>

namespace ornavex {

// The address pattern in ECMAScript syntax. IsEmailAddress accepts exactly the
// words that this pattern matches in full, case-sensitively.
inline constexpr std::string_view kAddressPattern =
    R"(^([a-zA-Z0-9_\-])([a-zA-Z0-9_\-\.]*)@(\[((25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\.){3}|((([a-zA-Z0-9\-]+)\.)+))([a-zA-Z]{2,}|(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])\])$)";

// True when the whole word matches kAddressPattern. A single pass over the
// word, without backtracking.
bool IsEmailAddress(std::string_view word);

} // namespace ornavex
