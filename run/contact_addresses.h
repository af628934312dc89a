#pragma once

#include <string_view>

namespace ornavex {

// Where users reach the maker: the support mailbox named in every error
// report, and the web site that the help commands open.
inline constexpr std::string_view kSupportAddress = "support@velquarn.example";
inline constexpr std::string_view kMakerWebAddress = "http://www.velquarn.example";

} // namespace ornavex
