#include "scan/folder_scan.h"

#include "os/file_access.h"
#include "os/folder_listing.h"
#include "os/system_reason.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <type_traits>

namespace ornavex {
namespace fs = std::filesystem;
namespace {

// The first characters of a sort key as one number, so most comparisons of
// two keys are one integer comparison: a smaller head means a smaller key.
std::uint64_t KeyHead(const NativeString& key) {
    using Unit = std::make_unsigned_t<NativeString::value_type>;
    constexpr unsigned kUnitBits = 8 * sizeof(Unit);
    constexpr std::size_t kUnits = 64 / kUnitBits;
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < kUnits; ++i) {
        head <<= kUnitBits - 1; // two steps: a shift by 64 would be undefined
        head <<= 1;
        if (i < key.size())
            head |= static_cast<Unit>(key[i]);
    }
    return head;
}

// Every entry of folder, sorted by name ignoring case; the reason when it
// cannot be listed. A folder may hold many thousands of entries, so each name
// is folded once for the sort instead of in every comparison.
std::string SortedEntries(const fs::path& folder, std::vector<FolderEntry>& sorted) {
    std::vector<FolderEntry> entries;
    std::string error = ListFolder(folder, entries); // not const: returned by move
    if (!error.empty())
        return error;
    struct SortItem {
        std::uint64_t head;
        std::size_t index;
    };
    std::vector<NativeString> keys;
    std::vector<SortItem> order;
    keys.reserve(entries.size());
    order.reserve(entries.size());
    for (const FolderEntry& named : entries) {
        keys.push_back(CaseFoldedSortKey(named.name));
        order.push_back({KeyHead(keys.back()), order.size()});
    }
    std::sort(order.begin(), order.end(), [&](const SortItem& a, const SortItem& b) {
        if (a.head != b.head)
            return a.head < b.head;
        const int byKey = keys[a.index].compare(keys[b.index]);
        return byKey != 0 ? byKey < 0 : entries[a.index].name < entries[b.index].name;
    });
    sorted.clear();
    sorted.reserve(entries.size());
    for (const SortItem& item : order)
        sorted.push_back(std::move(entries[item.index]));
    return {};
}

// A subfolder to enter: not a link, so no folder is reached twice.
bool IsRealFolder(const FolderEntry& named) {
    return named.directory && !named.symlink;
}

// Lists the folders in order, appending the real, visible subfolders of each
// to the list as it goes, so the list ends in level order: breadth-first,
// each level grouped by parent. Every other entry goes to onFile; a folder
// that cannot be listed goes to errors.
template <class OnFile>
void WalkFolders(std::vector<fs::path>& folders, const KeepScanning& keepGoing,
                 std::vector<FolderError>& errors, OnFile&& onFile) {
    std::vector<FolderEntry> entries;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (keepGoing && !keepGoing())
            return;
        const fs::path folder = folders[i]; // folders may grow and move below
        if (std::string error = SortedEntries(folder, entries); !error.empty()) {
            errors.push_back({folder, std::move(error)});
            continue;
        }
        for (const FolderEntry& named : entries) {
            if (!named.directory)
                onFile(folder, named);
            else if (IsRealFolder(named) && !named.hidden)
                folders.push_back(folder / named.name);
        }
    }
}

NativeString NativeFrom(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end())).native();
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

FileNameFilter FileNameFilter::AllFiles() {
    FileNameFilter filter;
    filter.patterns_.push_back(NativeFrom("*.*"));
    return filter;
}

FileNameFilter FileNameFilter::ForExtensions(const std::string& extensions) {
    FileNameFilter filter;
    std::string_view rest = extensions;
    for (;;) {
        const std::size_t comma = rest.find(',');
        std::string_view item = Trimmed(rest.substr(0, comma));
        if (item.starts_with("*."))
            item.remove_prefix(2);
        else if (item.starts_with("."))
            item.remove_prefix(1);
        if (!item.empty())
            filter.patterns_.push_back(NativeFrom("*." + std::string(item)));
        if (comma == std::string_view::npos)
            return filter;
        rest.remove_prefix(comma + 1);
    }
}

bool FileNameFilter::Matches(NativeView name) const {
    for (const NativeString& pattern : patterns_)
        if (MatchesWildcard(name, pattern))
            return true;
    return false;
}

std::vector<NativeString> ListFolderFiles(const fs::path& folder, const FileNameFilter& filter) {
    std::vector<FolderEntry> entries;
    std::vector<NativeString> names;
    if (!SortedEntries(folder, entries).empty())
        return names;
    for (FolderEntry& named : entries)
        if (!named.directory && filter.Matches(named.name))
            names.push_back(std::move(named.name));
    return names;
}

ScanResult ScanFolder(const fs::path& root, const FileNameFilter& filter,
                      const KeepScanning& keepGoing) {
    // Each folder is listed once for both its subfolders and its files: a
    // folder of thousands of files is not listed and sorted twice.
    std::vector<fs::path> folders{root};
    ScanResult result;
    result.folder = true;
    WalkFolders(folders, keepGoing, result.errors,
                [&](const fs::path& folder, const FolderEntry& named) {
                    if (filter.Matches(named.name) && (named.name.empty() || named.name[0] != '~'))
                        result.files.push_back(folder / named.name);
                });
    return result;
}

ScanResult ExpandPath(const fs::path& path, const FileNameFilter& filter,
                      const KeepScanning& keepGoing) {
    FileStatus status;
    if (StatPath(path, status) == 0 && status.kind == FileStatus::Kind::kDirectory)
        return ScanFolder(path, filter, keepGoing);
    ScanResult result;
    result.files.push_back(path);
    return result;
}

} // namespace ornavex
