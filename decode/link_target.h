#pragma once

#include <string>
#include <string_view>

namespace ornavex {

// A link's target as text to read: a mailto: target with its
// percent-encoding decoded (mailto:ann%40example.com), any other as it is.
std::string DecodedLinkTarget(std::string_view target);

} // namespace ornavex
