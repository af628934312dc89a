#include "output/safe_file_writer.h"

#include "os/system_reason.h"
#include "os/temporary_paths.h"

#include <cerrno>
#include <random>

namespace ornavex {
namespace {

// NAME.ornavex-NUMBER.tmp beside the file, the name cut short where the
// whole would be longer than a file name may be.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& file) {
    static std::mt19937_64 random{std::random_device{}()};
    const std::string suffix = ".ornavex-" + std::to_string(random() % 1000000000ULL) + ".tmp";
    auto name = file.filename().native();
    const std::size_t room = output_file::LongestName() - suffix.size();
    if (name.size() > room)
        name.resize(room);
    return file.parent_path() / (name + std::filesystem::path(suffix).native());
}

} // namespace

SafeFileWriter::SafeFileWriter(std::filesystem::path target, Replace replace)
    : target_(std::move(target)), replace_(replace) {}

SafeFileWriter::~SafeFileWriter() {
    Discard();
}

bool SafeFileWriter::Fail(std::string reason) {
    error_ = std::move(reason);
    Discard();
    return false;
}

bool SafeFileWriter::FailWith(int error) {
    errorNumber_ = error;
    return Fail(SystemReason(error));
}

void SafeFileWriter::Discard() {
    if (fd_ >= 0) {
        output_file::CloseFile(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(temporary_, ignored);
        temporary_.clear();
    }
    TemporaryPaths::Forget(temporaryTicket_);
    temporaryTicket_ = -1;
}

bool SafeFileWriter::Open() {
    if (const int error = output_file::FindDestination(target_, destination_))
        return FailWith(error);
    if (destination_.kind == output_file::Destination::Kind::kStream) {
        fd_ = destination_.stream;
        return replace_ == Replace::kExisting || FailWith(EEXIST);
    }
    if (destination_.exists && replace_ == Replace::kNever)
        return FailWith(EEXIST);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate = TemporaryNameFor(destination_.file);
        // Remembered first, so an interruption never leaves it behind.
        temporaryTicket_ = TemporaryPaths::Remember(candidate);
        fd_ = output_file::CreateExclusive(candidate, destination_);
        if (fd_ >= 0) {
            temporary_ = std::move(candidate);
            output_file::TakeOverModeAndOwner(fd_, destination_);
            return true;
        }
        const int error = errno;
        TemporaryPaths::Forget(temporaryTicket_);
        temporaryTicket_ = -1;
        if (error != EEXIST)
            return FailWith(error);
    }
    return FailWith(EEXIST);
}

bool SafeFileWriter::Write(std::string_view bytes) {
    if (fd_ < 0)
        return error_.empty() ? Fail("File is not open") : false;
    while (!bytes.empty()) {
        const long long written = output_file::WriteSome(fd_, bytes.data(), bytes.size());
        if (written <= 0)
            return FailWith(written < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool SafeFileWriter::Commit() {
    if (fd_ < 0)
        return error_.empty() ? Fail("File is not open") : false;
    if (!output_file::FlushToDisk(fd_))
        return FailWith(errno);
    output_file::CloseFile(fd_);
    fd_ = -1;
    if (temporary_.empty())
        return true; // written as it is
    const int error = replace_ == Replace::kExisting
                          ? output_file::Replace(temporary_, destination_.file)
                          : output_file::MoveNoReplace(temporary_, destination_.file);
    if (error != 0)
        return FailWith(error);
    temporary_.clear();
    TemporaryPaths::Forget(temporaryTicket_);
    temporaryTicket_ = -1;
    output_file::FlushFolder(destination_.file.parent_path());
    return true;
}

} // namespace ornavex
