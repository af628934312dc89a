#pragma once

#include "filelist/wildcard.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ornavex {

using FolderList = std::vector<std::filesystem::path>;

// Asked between steps of a long scan; returning false stops the scan early.
using KeepScanning = std::function<bool()>;

// Appends to folders every subfolder of the folders in it, level by level:
// first all folders one level down (grouped by parent, parents in list order),
// then two levels down, and so on. Hidden folders are not entered, and
// symbolic links to folders are not followed, so the scan always ends and
// never counts a folder twice. A folder that cannot be listed adds nothing.
void CollectSubfolders(FolderList& folders, const KeepScanning& keepGoing = {});

// Names of the files (not folders) in folder that match the wildcard pattern,
// hidden files included, sorted ignoring letter case.
std::vector<NativeString> ListFolderFiles(const std::filesystem::path& folder, NativeView pattern);

// The files of a folder and all its subfolders that match pattern, in the
// level order of CollectSubfolders; names beginning with "~" are left out.
std::vector<std::filesystem::path> ScanFolder(const std::filesystem::path& root, NativeView pattern,
                                              const KeepScanning& keepGoing = {});

// A path given by the user: a folder becomes its files (as ScanFolder does
// with pattern); anything else stays as it is.
std::vector<std::filesystem::path> ExpandPath(const std::filesystem::path& path, NativeView pattern,
                                              const KeepScanning& keepGoing = {});

// A file found by a folder scan, and whether the listing showed it as a
// regular file itself (not a link, a FIFO or a device).
struct ScannedFile {
    std::filesystem::path path;
    bool regular = false;
};

// ScanFolder and ExpandPath with what the listing told of each file; a path
// that is not a folder is not looked at, so it is not known to be regular.
std::vector<ScannedFile> ScanFolderFiles(const std::filesystem::path& root, NativeView pattern,
                                         const KeepScanning& keepGoing = {});
std::vector<ScannedFile> ExpandPathFiles(const std::filesystem::path& path, NativeView pattern,
                                         const KeepScanning& keepGoing = {});

// The listing pattern for an extension as the user types it: "txt" gives
// "*.txt", "*" gives "*.*".
NativeString PatternForExtension(const std::string& extension);

inline const NativeString kAllFilesPattern = NativeString{'*', '.', '*'};

} // namespace ornavex
