#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ornavex {

// What --memory-limit takes, said in its usage error.
inline constexpr std::string_view kSizeForms =
    "a whole number of bytes, or of K, M, G or T (1024 each; KB, KiB and the like "
    "mean the same), more than 0, such as 512M or 4G";

// A size in bytes as the command line takes it: digits, then maybe a unit
// (B, K, M, G, T, with B or iB after a letter, in any letter case). None
// for anything else, 0 and sizes past 64 bits included.
std::optional<std::uint64_t> ParseSize(std::string_view text);

} // namespace ornavex
