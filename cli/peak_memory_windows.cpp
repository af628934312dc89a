#include "cli/peak_memory.h"

#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

namespace ornavex {

std::uint64_t PeakMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

} // namespace ornavex
