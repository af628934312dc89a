#include "os/cgroup_memory.h"
#include "os/system_memory.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace ornavex {
namespace {

namespace fs = std::filesystem;

void WriteFile(const fs::path& path, std::string_view text) {
    fs::create_directories(path.parent_path());
    testing::WriteFile(path, text);
}

// A file tree as /proc and the cgroup mounts show a process: a container
// of cgroup v2 inside a group with a lower limit further up, its mount
// showing the tree from a group below the top; and a cgroup v1 memory
// hierarchy mounted at a path with a space.
TEST(CgroupMemoryLimit, TakesTheLeastLimitOfTheProcessGroupAndThoseAbove) {
    testing::TempDir root;
    EXPECT_EQ(CgroupMemoryLimit(root.path()), 0u); // no /proc at all

    WriteFile(root / "proc/self/cgroup", "0::/outer/box/app\n");
    WriteFile(root / "proc/self/mountinfo",
              "22 1 0:21 / /proc rw - proc proc rw\n"
              "30 22 0:27 /outer /sys/fs/cgroup rw,relatime shared:4 - cgroup2 cgroup2 rw\n");
    EXPECT_EQ(CgroupMemoryLimit(root.path()), 0u); // no limits written
    WriteFile(root / "sys/fs/cgroup/box/app/memory.max", "max\n");
    WriteFile(root / "sys/fs/cgroup/box/memory.max", "209715200\n");
    WriteFile(root / "sys/fs/cgroup/memory.max", "1073741824\n");
    EXPECT_EQ(CgroupMemoryLimit(root.path()), 209715200u);
    WriteFile(root / "sys/fs/cgroup/box/app/memory.max", "104857600\n");
    EXPECT_EQ(CgroupMemoryLimit(root.path()), 104857600u);

    // cgroup v1: the memory controller among others; "no limit" is a huge
    // number. The least of both hierarchies counts.
    WriteFile(root / "proc/self/cgroup",
              "0::/outer/box/app\n5:cpu,memory:/docker/c1\n4:pids:/docker/c1\n");
    WriteFile(root / "proc/self/mountinfo",
              "30 22 0:27 /outer /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
              "34 30 0:31 / /v1\\040mem rw,relatime - cgroup cgroup rw,cpu,memory\n"
              "35 30 0:32 / /pids rw - cgroup cgroup rw,pids\n");
    WriteFile(root / "v1 mem/docker/c1/memory.limit_in_bytes", "9223372036854771712\n");
    EXPECT_EQ(CgroupMemoryLimit(root.path()), 104857600u);
    WriteFile(root / "v1 mem/docker/memory.limit_in_bytes", "52428800\n");
    EXPECT_EQ(CgroupMemoryLimit(root.path()), 52428800u);
    // A limit the process's group lies outside of is not its own.
    WriteFile(root / "proc/self/cgroup", "0::/elsewhere\n");
    EXPECT_EQ(CgroupMemoryLimit(root.path()), 0u);
}

TEST(SystemMemory, TheCeilingIsNoMoreThanThePhysicalMemory) {
    const std::uint64_t physical = PhysicalMemoryBytes();
    const std::uint64_t ceiling = MemoryCeilingBytes();
    EXPECT_GT(ceiling, 0u);
    if (physical != 0) {
        EXPECT_LE(ceiling, physical);
    }
}

} // namespace
} // namespace ornavex
