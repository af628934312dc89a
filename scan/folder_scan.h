#pragma once

#include "scan/wildcard.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ornavex {

// Asked between steps of a long scan; returning false stops the scan early.
using KeepScanning = std::function<bool()>;

// The file names a folder scan takes: those that match any of its patterns.
class FileNameFilter {
public:
    // Every name ("*.*").
    static FileNameFilter AllFiles();
    // The names with the extensions as a user types them: "txt" ("*.txt"),
    // ".txt" and "*.txt" alike, "*" for every name, and lists of these
    // joined by commas. Nothing usable in the text gives a filter that
    // takes nothing (empty()).
    static FileNameFilter ForExtensions(const std::string& extensions);

    bool Matches(NativeView name) const;
    bool empty() const { return patterns_.empty(); }

private:
    std::vector<NativeString> patterns_;
};

// A folder that could not be listed, and the system's reason.
struct FolderError {
    std::filesystem::path folder;
    std::string reason;
};

// What a scan found: the files, and every folder it could not list.
struct ScanResult {
    std::vector<std::filesystem::path> files;
    std::vector<FolderError> errors;
    bool folder = false; // the path scanned was a folder
};

// Names of the files (not folders) in folder that pass the filter, hidden
// files included, sorted ignoring letter case. Nothing when the folder cannot
// be listed.
std::vector<NativeString> ListFolderFiles(const std::filesystem::path& folder,
                                          const FileNameFilter& filter);

// The files of a folder and all its subfolders that pass the filter, level
// by level: first the folder's own files, then those of every folder one
// level down (grouped by parent, parents in order), then two levels down,
// and so on; within a folder sorted ignoring letter case. Names beginning
// with "~" are left out; hidden folders are not entered and symbolic links
// to folders not followed, so the scan always ends and never reads a folder
// twice. Trees of any depth are read: folders are reached through open
// descriptors, not whole path strings.
ScanResult ScanFolder(const std::filesystem::path& root, const FileNameFilter& filter,
                      const KeepScanning& keepGoing = {});

// A path given by the user: a folder becomes its files (as ScanFolder does);
// anything else stays as it is, for the run to read or report.
ScanResult ExpandPath(const std::filesystem::path& path, const FileNameFilter& filter,
                      const KeepScanning& keepGoing = {});

} // namespace ornavex
