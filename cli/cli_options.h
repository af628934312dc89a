#pragma once

#include "clean/sort_order.h"
#include "output/export_formats.h"
#include "scan/folder_scan.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace ornavex {

// The checked configuration of one command-line call.
struct CliOptions {
    std::vector<std::string> paths;        // files, folders or "-"; none means standard input
    std::optional<std::string> outputFile; // "-": standard output
    FileNameFilter filter = FileNameFilter::AllFiles(); // which files of a folder are read
    ExportFormat format = ExportFormat::kUnixLines;
    bool force = false;
    bool raw = false;            // every file as raw bytes, nothing read inside
    bool classicPattern = false; // no '+' in the local part
    bool stats = false;
    bool quiet = false;
    // Memory for the distinct addresses before they go to temporary files;
    // 0: half of the machine's.
    std::uint64_t memoryLimit = 0;
    std::size_t threads = 0; // 0: ReadingThreads()

    // Cleaning and ordering the list, which is then written at the end.
    bool checkDomains = false;
    std::vector<std::string> excludeFiles; // do-not-mail lists
    std::vector<std::string> onlyDomains;
    std::vector<std::string> dropDomains;
    bool dropRoles = false;
    SortOrder sort = SortOrder::kFirstOccurrence;
    bool counts = false; // each line starts with the count and a TAB
    bool csv = false;
    // Per input: found, new, failed. "-" for standard error.
    std::optional<std::string> reportFile;
    // The argument right after a bare --report, when it is no option: an
    // input, which is refused should it not exist (the report's file, as
    // --report FILE once named it, is --report=FILE).
    std::optional<std::string> pathAfterReport;

    bool WholeListFirst() const {
        return checkDomains || !excludeFiles.empty() || !onlyDomains.empty() ||
               !dropDomains.empty() || dropRoles || sort != SortOrder::kFirstOccurrence || counts ||
               csv;
    }
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFileFailed = 1;
inline constexpr int kExitUsage = 2;
// The output pipe's reader went away: the program ends quietly, as a closed
// pipe ends it (see EndForClosedPipe), with the status a shell then shows.
inline constexpr int kExitClosedPipe = 141;

// Parses the arguments. Returns the exit status when the program is done
// already (help, version or a usage error, printed to out or err).
std::optional<int> ParseCliOptions(int argc, const char* const* argv, CliOptions& options,
                                   std::FILE* out, std::FILE* err);

} // namespace ornavex
