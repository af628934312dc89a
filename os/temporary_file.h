#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace ornavex {

// Why temporary data could not be kept: the reason names the folder, such
// as "Cannot keep temporary data in /tmp: No space left on device".
class TemporaryDataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A temporary file for data that does not fit in memory. Nobody else can
// open it, and it goes away however the program ends, a crash or a kill
// included: on POSIX it loses its name as soon as it is made, on Windows it
// is deleted when its last handle closes. Each platform has its own file.
class TemporaryFile {
public:
    // Makes one in folder. Throws TemporaryDataError saying why it could not.
    explicit TemporaryFile(const std::filesystem::path& folder);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Writes size bytes at the end of the file; returns where they start.
    // Throws TemporaryDataError on failure (a full disk, say).
    std::uint64_t Append(const void* data, std::size_t size);
    // Reads size bytes written before, from offset. Throws on failure.
    void ReadAt(std::uint64_t offset, void* data, std::size_t size) const;
    std::uint64_t size() const { return size_; }
    // A name that opens this file again, for readers that want one: on
    // POSIX the descriptor's own (/dev/fd/N), as the file has none.
    std::filesystem::path OpenPath() const;

private:
    // What a failure says: the reason and the folder.
    std::string Complaint(int error) const;

    std::intptr_t handle_ = -1;
    std::uint64_t size_ = 0;
    std::filesystem::path folder_;
    std::filesystem::path name_; // where the system lets it have one
};

// The folder temporary data goes to: TMPDIR or the system's own. A folder
// named there that does not exist is still given, so that what fails names it.
std::filesystem::path TemporaryFolder();

} // namespace ornavex
