#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ornavex {

// Writes a file through a temporary file beside it that is renamed into place
// only when everything was written, so a failed save never leaves a
// half-written file where the old one was. An uncommitted writer removes its
// temporary file.
class SafeFileWriter {
public:
    enum class Replace { kExisting, kNever };

    explicit SafeFileWriter(std::filesystem::path target);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file. False on failure, with error() set.
    bool Open();
    bool Write(std::string_view bytes);
    // Flushes to disk and renames the temporary file onto the target. With
    // Replace::kNever an existing target is left alone and the commit fails.
    bool Commit(Replace replace);

    const std::string& error() const { return error_; }

private:
    bool Fail(std::string reason);
    void Discard();

    std::filesystem::path target_;
    std::filesystem::path temporary_;
    int fd_ = -1;
    std::string error_;
};

} // namespace ornavex
