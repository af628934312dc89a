#pragma once

#include "output/export_formats.h"
#include "scan/folder_scan.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace ornavex {

// The checked configuration of one command-line call.
struct CliOptions {
    std::vector<std::string> paths; // files, folders or "-"; none means standard input
    std::optional<std::string> outputFile;
    FileNameFilter filter = FileNameFilter::AllFiles(); // which files of a folder are read
    ExportFormat format = ExportFormat::kUnixLines;
    bool force = false;
    bool raw = false; // every file as raw bytes, nothing read inside
    bool stats = false;
    bool quiet = false;
};

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFileFailed = 1;
inline constexpr int kExitUsage = 2;

// Parses the arguments. Returns the exit status when the program is done
// already (help, version or a usage error, printed to out or err).
std::optional<int> ParseCliOptions(int argc, const char* const* argv, CliOptions& options,
                                   std::FILE* out, std::FILE* err);

} // namespace ornavex
