#pragma once

#include <filesystem>

namespace ornavex {

// The temporary files the program has made and not yet moved into place or
// removed, so that an interruption (Ctrl-C, a terminal closed, a request to
// end) removes them before the program goes. Removing is safe inside a
// signal handler: the names are kept in fixed memory.
class TemporaryPaths {
public:
    // Remembers path; returns a ticket for Forget, or -1 when the path is
    // too long to keep or every place is taken (the file then just is not
    // removed on an interruption).
    static int Remember(const std::filesystem::path& path);
    static void Forget(int ticket);
    // Removes every remembered file. Safe in a signal handler.
    static void RemoveAll() noexcept;
};

// Removes the temporary files on the interruptions that end a program
// (SIGINT, SIGTERM, SIGHUP, SIGQUIT; Ctrl-C and closing the console on
// Windows), then lets the interruption end the program as it would have.
// Each platform has its own file for this.
void RemoveTemporaryFilesOnInterruption();

namespace temporary_paths_detail {
// Removes one file; safe in a signal handler.
void RemoveFileNow(const std::filesystem::path::value_type* path) noexcept;
} // namespace temporary_paths_detail

} // namespace ornavex
