#include "os/scratch_file.h"

#include "os/system_reason.h"

#include <system_error>

namespace ornavex {

std::string ScratchFile::Complaint(int error) const {
    return "Cannot keep temporary data in " + folder_.string() + ": " + SystemReason(error);
}

std::filesystem::path TemporaryFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path(".") : folder;
}

} // namespace ornavex
