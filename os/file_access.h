#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace ornavex {

// Input files as the operating system gives them. Each platform has its own
// implementation of this file (file_access_posix.cpp, file_access_windows.cpp).

// What a path names, following symbolic links.
struct FileStatus {
    enum class Kind { kRegular, kDirectory, kOther };
    Kind kind = Kind::kOther;
    std::uint64_t size = 0;
    // Together they tell one file from another.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool SameFileAs(const FileStatus& other) const {
        return device == other.device && inode == other.inode;
    }
};

// Looks the path up; 0, or the system's error number. Paths longer than the
// system's limit for one call are looked up folder by folder.
int StatPath(const std::filesystem::path& path, FileStatus& status);

// What an open descriptor is, and what the standard input is; 0, or the
// system's error number.
int StatDescriptor(int fd, FileStatus& status);
int StatStandardInput(FileStatus& status);

// The reason to refuse a file of this kind for reading, or nullptr.
const char* RefusalFor(FileStatus::Kind kind);

// Opens a file as a C stream for reading; nullptr with errno set on failure.
std::FILE* OpenFileStream(const std::filesystem::path& path);
// Creates a new file for writing and reading back, readable by its owner
// only, failing when it exists; nullptr with errno set on failure.
std::FILE* OpenNewFileStream(const std::filesystem::path& path);
// Moves a stream's position with 64-bit offsets (whence: SEEK_SET, SEEK_CUR,
// SEEK_END); returns the new position, or -1.
std::int64_t SeekFileStream(std::FILE* stream, std::int64_t offset, int whence);

// A file open for reading, closed when this goes.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens a regular file. Its kind is checked before it is opened, so no
    // FIFO, device or folder is ever opened, and again once it is open, so a
    // file swapped in between is not read either. On failure the result is
    // closed and error holds the reason.
    static InputFile OpenRegular(const std::filesystem::path& path, std::string& error);
    // The process's standard input, in binary mode; not closed.
    static InputFile StandardInput();

    bool isOpen() const { return fd_ >= 0; }
    // The size when opened; 0 for the standard input.
    std::uint64_t size() const { return size_; }

    // Reads up to size bytes at the current position: the count, 0 at the
    // end, -1 with the reason in error.
    long long Read(char* buffer, std::size_t size, std::string& error);
    // Reads up to size bytes at offset, leaving the position alone; only for
    // files opened by OpenRegular.
    long long ReadAt(char* buffer, std::size_t size, std::uint64_t offset, std::string& error);

private:
    InputFile(int fd, bool owned, std::uint64_t size) : fd_(fd), owned_(owned), size_(size) {}
    void Close();
    // What each platform does: open for reading, and close.
    static int OpenDescriptor(const std::filesystem::path& path, int& fd);
    static void CloseDescriptor(int fd);

    int fd_ = -1;
    bool owned_ = false;
    std::uint64_t size_ = 0;
};

} // namespace ornavex
