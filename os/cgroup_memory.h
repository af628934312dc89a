#pragma once

#include <cstdint>
#include <filesystem>

namespace ornavex {

// The memory limit of the control group the process runs in: the least of
// cgroup v2 memory.max and cgroup v1 memory.limit_in_bytes of its own group
// and of every group above it, as /proc/self/cgroup and
// /proc/self/mountinfo under root name them; 0 when there is none (no
// cgroups, or no limit). root is "/" but for tests, which build a
// file tree of their own.
std::uint64_t CgroupMemoryLimit(const std::filesystem::path& root = "/");

} // namespace ornavex
