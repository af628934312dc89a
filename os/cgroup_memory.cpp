#include "os/cgroup_memory.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {
namespace {

namespace fs = std::filesystem;

// A limit this high is none: cgroup v1 writes "no limit" as the largest
// page count in bytes, near 2^63.
constexpr std::uint64_t kNoLimitFrom = std::uint64_t{1} << 62;

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

// mountinfo writes a space, TAB, LF and backslash in a path as \040 and the like.
std::string Unescaped(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() &&
            std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                        text.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            out.push_back(static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                            (text[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// A file's number, or 0 for "max", an unreadable file or no limit.
std::uint64_t LimitIn(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    if (!(in >> text))
        return 0;
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value >= kNoLimitFrom)
        return 0;
    return value;
}

// The lesser of two limits, 0 being none.
std::uint64_t Least(std::uint64_t least, std::uint64_t limit) {
    if (limit == 0)
        return least;
    return least == 0 ? limit : std::min(least, limit);
}

// One hierarchy the process is in: where it is mounted, and its group there.
struct Hierarchy {
    fs::path mountPoint;
    std::string mountRoot; // the group the mount shows at its top
    std::string group;     // the process's, from the hierarchy's root
};

// The least limit in limitFile of the process's group and the groups above
// it, as far up as the mount shows them.
std::uint64_t LeastLimit(const Hierarchy& hierarchy, const char* limitFile) {
    std::string_view group = hierarchy.group;
    // Both arms views: a string arm would make the view one of a temporary.
    const std::string_view top =
        hierarchy.mountRoot == "/" ? std::string_view() : std::string_view(hierarchy.mountRoot);
    if (group.substr(0, top.size()) != top ||
        (group.size() > top.size() && group[top.size()] != '/'))
        return 0; // the group lies outside what this mount shows
    group.remove_prefix(top.size());
    std::uint64_t least = 0;
    for (;;) {
        const fs::path folder = hierarchy.mountPoint / fs::path(std::string(group)).relative_path();
        least = Least(least, LimitIn(folder / limitFile));
        const std::size_t slash = group.find_last_of('/');
        if (group.empty() || slash == std::string_view::npos)
            return least;
        group = group.substr(0, slash);
    }
}

// The groups the process is in: of cgroup v2 (unified), and of the memory
// controller of cgroup v1.
struct ProcessGroups {
    bool unified = false;
    std::string unifiedGroup;
    bool memory = false;
    std::string memoryGroup;
};

// Reads /proc/self/cgroup: "ID:CONTROLLERS:GROUP", "0::GROUP" for cgroup v2.
ProcessGroups GroupsIn(const fs::path& file) {
    ProcessGroups groups;
    for (const std::string& line : Lines(file)) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos)
            continue;
        const std::string_view controllers =
            std::string_view(line).substr(first + 1, second - first - 1);
        const std::string group = line.substr(second + 1);
        if (line.compare(0, first, "0") == 0 && controllers.empty()) {
            groups.unified = true;
            groups.unifiedGroup = group;
        }
        for (const std::string_view controller : Split(controllers, ','))
            if (controller == "memory") {
                groups.memory = true;
                groups.memoryGroup = group;
            }
    }
    return groups;
}

// The least memory limit of the process's groups in the hierarchy a line of
// /proc/self/mountinfo mounts; 0 when it mounts none of them, or sets none.
// A line: "ID PARENT DEV ROOT MOUNTPOINT OPTIONS [TAGS...] - TYPE SOURCE
// SUPEROPTIONS".
std::uint64_t LimitOfMount(const fs::path& root, std::string_view line,
                           const ProcessGroups& groups) {
    const std::vector<std::string_view> fields = Split(line, ' ');
    const auto dash = std::find(fields.begin(), fields.end(), "-");
    if (fields.size() < 5 || dash == fields.end() || fields.end() - dash < 2)
        return 0;
    const std::string_view type = dash[1];
    Hierarchy hierarchy{root / fs::path(Unescaped(fields[4])).relative_path(), Unescaped(fields[3]),
                        std::string()};
    if (type == "cgroup2" && groups.unified) {
        hierarchy.group = groups.unifiedGroup;
        return LeastLimit(hierarchy, "memory.max");
    }
    if (type == "cgroup" && groups.memory && fields.end() - dash >= 4) {
        const std::vector<std::string_view> options = Split(dash[3], ',');
        if (std::find(options.begin(), options.end(), "memory") == options.end())
            return 0;
        hierarchy.group = groups.memoryGroup;
        return LeastLimit(hierarchy, "memory.limit_in_bytes");
    }
    return 0;
}

} // namespace

std::uint64_t CgroupMemoryLimit(const fs::path& root) {
    const ProcessGroups groups = GroupsIn(root / "proc/self/cgroup");
    if (!groups.unified && !groups.memory)
        return 0;
    std::uint64_t least = 0;
    for (const std::string& line : Lines(root / "proc/self/mountinfo"))
        least = Least(least, LimitOfMount(root, line, groups));
    return least;
}

} // namespace ornavex
