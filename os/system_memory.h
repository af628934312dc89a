#pragma once

#include <cstdint>

namespace ornavex {

// The machine's physical memory in bytes; 0 when the system does not say.
// Each platform has its own file.
std::uint64_t PhysicalMemoryBytes();

// The most memory this process can have: the least of the physical memory
// and the limits the system puts on the process (on Linux its memory
// control group, see CgroupMemoryLimit; on POSIX systems RLIMIT_AS; on
// Windows the limits of its job); 0 when none of them is known.
std::uint64_t MemoryCeilingBytes();

} // namespace ornavex
