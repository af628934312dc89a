// Physical memory and the limits on it on Windows.
#include "os/system_memory.h"

#include <algorithm>
#include <windows.h>

namespace ornavex {

std::uint64_t PhysicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

std::uint64_t MemoryCeilingBytes() {
    std::uint64_t least = PhysicalMemoryBytes();
    const auto take = [&](std::uint64_t limit) {
        if (limit != 0)
            least = least == 0 ? limit : std::min(least, limit);
    };
    // The limits of the job the process runs in, if any (a container's).
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION job{};
    if (QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &job, sizeof job,
                                  nullptr)) {
        const DWORD flags = job.BasicLimitInformation.LimitFlags;
        if (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY)
            take(job.ProcessMemoryLimit);
        if (flags & JOB_OBJECT_LIMIT_JOB_MEMORY)
            take(job.JobMemoryLimit);
    }
    return least;
}

} // namespace ornavex
