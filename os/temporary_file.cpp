#include "os/temporary_file.h"

#include "os/system_reason.h"

#include <cstdlib>
#include <system_error>

namespace ornavex {

std::string TemporaryFile::Complaint(int error) const {
    return "Cannot keep temporary data in " + folder_.string() + ": " + SystemReason(error);
}

std::filesystem::path TemporaryFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (!error)
        return folder;
    // The folder asked for is missing or no folder: it is named all the
    // same, so that making a file there fails with its name, rather than
    // temporary data landing somewhere nobody asked for.
    for (const char* variable : {"TMPDIR", "TMP", "TEMP"})
        if (const char* named = std::getenv(variable); named != nullptr && *named != '\0')
            return named;
    return ".";
}

} // namespace ornavex
