// Physical memory on Windows.
#include "os/system_memory.h"

#include <windows.h>

namespace ornavex {

std::uint64_t PhysicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

} // namespace ornavex
