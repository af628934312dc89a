#pragma once

#include "output/output_file.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace ornavex {

// Writes a file through a temporary file beside it that is renamed into place
// only when everything was written and flushed, so a failed save never
// leaves a half-written file where the old one was. An uncommitted writer,
// or a program interrupted meanwhile, removes its temporary file.
//
// What the target names is what gets written: a symbolic link's file (the
// link stays), a replaced file keeps its mode and owner, and a FIFO, a
// terminal or device, or a descriptor named as /dev/stdout or /dev/fd/N is
// written as it is, with no temporary file.
class SafeFileWriter {
public:
    enum class Replace { kExisting, kNever };

    SafeFileWriter(std::filesystem::path target, Replace replace);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Prepares the writing. False on failure, with error() set; with
    // Replace::kNever an existing target is a failure.
    bool Open();
    bool Write(std::string_view bytes);
    // Flushes to disk and moves the temporary file onto the target.
    bool Commit();

    const std::string& error() const { return error_; }
    // The system's error number behind error(), or 0.
    int errorNumber() const { return errorNumber_; }

private:
    bool Fail(std::string reason);
    bool FailWith(int error);
    void Discard();

    std::filesystem::path target_;
    Replace replace_;
    output_file::Destination destination_;
    std::filesystem::path temporary_;
    int temporaryTicket_ = -1; // in TemporaryPaths
    int fd_ = -1;
    std::string error_;
    int errorNumber_ = 0;
};

} // namespace ornavex
