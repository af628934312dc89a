#include "decode/spool.h"

#include "os/file_access.h"
#include "os/system_reason.h"
#include "os/temporary_files.h"

#include <cerrno>
#include <random>

namespace ornavex {
namespace {

constexpr std::size_t kBlock = 64 << 10;

std::filesystem::path TemporaryName() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error)
        folder = ".";
    return folder / ("ornavex-" + std::to_string(random() % 1000000000000ULL) + ".part");
}

} // namespace

SpooledFile::~SpooledFile() {
    if (stream_ != nullptr)
        std::fclose(stream_);
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TemporaryFiles::Forget(ticket_);
}

bool SpooledFile::Open(DecodeContext& context) {
    for (int attempt = 0; attempt < 100 && stream_ == nullptr; ++attempt) {
        const std::filesystem::path candidate = TemporaryName();
        ticket_ = TemporaryFiles::Remember(candidate);
        stream_ = OpenNewFileStream(candidate);
        if (stream_ != nullptr) {
            path_ = candidate;
            return true;
        }
        const int reason = errno;
        TemporaryFiles::Forget(ticket_);
        ticket_ = -1;
        if (reason != EEXIST) {
            context.Fail(SystemReason(reason));
            return false;
        }
    }
    context.Fail(SystemReason(EEXIST));
    return false;
}

bool SpooledFile::Append(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream_) == bytes.size())
        return true;
    error_ = SystemReason(errno != 0 ? errno : ENOSPC);
    return false;
}

bool SpooledFile::Fill(ByteSource& source, DecodeContext& context) {
    if (!Open(context))
        return false;
    std::string_view bytes;
    for (;;) {
        if (!source.Next(bytes)) {
            context.Fail(source.error());
            return false;
        }
        if (bytes.empty())
            break;
        if (!Append(bytes)) {
            context.Fail(error_);
            return false;
        }
    }
    if (std::fflush(stream_) != 0) {
        context.Fail(SystemReason(errno));
        return false;
    }
    return true;
}

FileSource::FileSource(const SpooledFile& file) : stream_(file.stream()), buffer_(kBlock) {
    std::fflush(stream_);
    std::rewind(stream_);
}

bool FileSource::Next(std::string_view& bytes) {
    const std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), stream_);
    if (got == 0 && std::ferror(stream_)) {
        error_ = SystemReason(errno);
        return false;
    }
    bytes = std::string_view(buffer_.data(), got);
    return true;
}

} // namespace ornavex
