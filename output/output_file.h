#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace ornavex::output_file {

// What SafeFileWriter needs of the system; each platform has its own file.

// Where a save really goes.
struct Destination {
    enum class Kind {
        kFile,   // a regular file, new or replaced through a temporary file
        kStream, // a FIFO, a terminal, a device or an open descriptor: written as it is
    };
    Kind kind = Kind::kFile;
    // kFile: the file to write, symbolic links followed to the file they name.
    std::filesystem::path file;
    bool exists = false;
    // kFile that exists: what the new file keeps of it.
    std::uint32_t mode = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    // kStream: open for writing, to be closed by the caller.
    int stream = -1;
};

// Finds where writing target goes; 0 or the system's error number.
int FindDestination(const std::filesystem::path& target, Destination& destination);

// Creates path for writing the destination, failing when it exists; the
// descriptor, or -1 with errno set.
int CreateExclusive(const std::filesystem::path& path, const Destination& destination);
// Gives the new file the mode and owner of the one it replaces (the owner
// where the system allows it).
void TakeOverModeAndOwner(int fd, const Destination& destination);
long long WriteSome(int fd, const char* data, std::size_t size);
bool FlushToDisk(int fd);
void CloseFile(int fd);
// Moves from onto to, replacing it; 0 or the system's error number.
int Replace(const std::filesystem::path& from, const std::filesystem::path& to);
// Moves from onto to only if to does not exist; 0 or the system's error number.
int MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);
// Makes a new name in folder last through a crash.
void FlushFolder(const std::filesystem::path& folder);
// The longest file name the system takes, in the units of a path's text.
std::size_t LongestName();

} // namespace ornavex::output_file
