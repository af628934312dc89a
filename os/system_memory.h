#pragma once

#include <cstdint>

namespace ornavex {

// The machine's physical memory in bytes; 0 when the system does not say.
// Each platform has its own file.
std::uint64_t PhysicalMemoryBytes();

} // namespace ornavex
