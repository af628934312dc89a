#include "cli/peak_memory.h"

#include <cstdio>

namespace ornavex {

std::uint64_t PeakMemoryBytes() {
    // The high-water mark of this program's own memory (Linux): unlike the
    // resource usage, it does not take over the peak of the process that
    // started it.
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        unsigned long long kilobytes = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "VmHWM: %llu kB", &kilobytes) == 1;
        std::fclose(status);
        if (found)
            return kilobytes * 1024;
    }
    return 0;
}

} // namespace ornavex
