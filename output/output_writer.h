#pragma once

#include "output/export_formats.h"
#include "output/safe_file_writer.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace ornavex {

// Writes addresses in an export format, and any other text, for the command
// line and the results window alike: gathered in one buffer and written in
// pieces of kFlushBytes, either to a stream or to a file through
// SafeFileWriter, which puts it in place only once it is complete. An
// address costs an append to the buffer; only a full buffer reaches the
// system.
class OutputWriter {
public:
    // The size of a piece. A buffer of 1 MiB touched some 350 fresh pages a
    // run as it filled; 64 KiB stays in the cache, and a write fills a pipe
    // of the usual size at once. Writes stay few: sixteen per megabyte.
    static constexpr std::size_t kFlushBytes = 64 << 10;

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
