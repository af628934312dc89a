#pragma once

#include <cstdint>

namespace ornavex {

// The most memory the program has held at once (its peak resident set), in
// bytes; 0 where the system does not tell. Each platform has its own file.
std::uint64_t PeakMemoryBytes();

} // namespace ornavex
