#pragma once

#include <string>
#include <string_view>

namespace ornavex {

// A link's target as text to read: a mailto: target with its
// percent-encoding decoded (mailto:ann%40example.com); nothing for any other
// target, which a reader never sees (message-ids in archive links, a
// password in https://user@host).
std::string DecodedLinkTarget(std::string_view target);

} // namespace ornavex
