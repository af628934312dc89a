#pragma once

#include "output/export_formats.h"
#include "output/safe_file_writer.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ornavex {

// Collects addresses in the chosen format and writes them in large pieces,
// either to a stream or to a file that only appears once it is complete.
class OutputWriter {
public:
    // Writes to stream (not owned).
    OutputWriter(std::FILE* stream, ExportFormat format);
    // Writes to path through a temporary file.
    OutputWriter(const std::filesystem::path& path, ExportFormat format,
                 SafeFileWriter::Replace replace);

    bool Open();
    void Append(std::string_view address);
    // Text written as it is, whatever the format.
    void AppendText(std::string_view text);
    // Writes what is left; for a file, moves it into place.
    bool Close();
    // Gives up: a file is not written at all.
    void Abandon();

    bool failed() const { return !error_.empty(); }
    const std::string& error() const { return error_; }
    // The system's error number behind the failure, or 0.
    int errorNumber() const { return errorNumber_; }

private:
    bool Flush();

    std::FILE* stream_ = nullptr;
    std::unique_ptr<SafeFileWriter> file_;
    ExportFormat format_;
    std::string buffer_;
    bool first_ = true;
    std::string error_;
    int errorNumber_ = 0;
};

} // namespace ornavex
