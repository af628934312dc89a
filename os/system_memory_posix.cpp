// Physical memory and the limits on it on POSIX systems.
#include "os/cgroup_memory.h"
#include "os/system_memory.h"

#include <algorithm>
#include <sys/resource.h>
#include <unistd.h>

namespace ornavex {

std::uint64_t PhysicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::uint64_t MemoryCeilingBytes() {
    std::uint64_t least = PhysicalMemoryBytes();
    const auto take = [&](std::uint64_t limit) {
        if (limit != 0)
            least = least == 0 ? limit : std::min(least, limit);
    };
    // A container's limit: past it the process is killed, not refused.
    take(CgroupMemoryLimit());
    struct rlimit addressSpace {};
    if (::getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY)
        take(static_cast<std::uint64_t>(addressSpace.rlim_cur));
    return least;
}

} // namespace ornavex
