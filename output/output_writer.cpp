#include "output/output_writer.h"

#include "os/system_reason.h"

#include <cerrno>

namespace ornavex {

OutputWriter::OutputWriter(std::FILE* stream, ExportFormat format)
    : stream_(stream), format_(format) {}

OutputWriter::OutputWriter(const std::filesystem::path& path, ExportFormat format,
                           SafeFileWriter::Replace replace)
    : file_(std::make_unique<SafeFileWriter>(path, replace)), format_(format) {}

bool OutputWriter::Open() {
    // Room for a full buffer and the address that overflows it, so the
    // buffer is not regrown (and its memory touched afresh) as it fills.
    buffer_.reserve(2 * kFlushBytes);
    if (file_ && !file_->Open()) {
        error_ = file_->error();
        errorNumber_ = file_->errorNumber();
    }
    return !failed();
}

void OutputWriter::Append(std::string_view address) {
    AppendExportItem(buffer_, format_, address, first_);
    first_ = false;
    if (buffer_.size() >= kFlushBytes)
        Flush();
}

void OutputWriter::AppendText(std::string_view text) {
    buffer_.append(text);
    first_ = false;
    if (buffer_.size() >= kFlushBytes)
        Flush();
}

bool OutputWriter::Flush() {
    if (failed()) {
        buffer_.clear();
        return false;
    }
    if (file_) {
        if (!file_->Write(buffer_)) {
            error_ = file_->error();
            errorNumber_ = file_->errorNumber();
        }
    } else if (std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size()) {
        errorNumber_ = errno;
        error_ = SystemReason(errorNumber_);
    }
    buffer_.clear();
    return !failed();
}

void OutputWriter::Abandon() {
    buffer_.clear();
    file_.reset(); // removes the temporary file
    error_ = "Not written";
}

bool OutputWriter::Close() {
    if (!Flush())
        return false;
    if (file_) {
        if (!file_->Commit()) {
            error_ = file_->error();
            errorNumber_ = file_->errorNumber();
        }
    } else if (std::fflush(stream_) != 0) {
        errorNumber_ = errno;
        error_ = SystemReason(errorNumber_);
    }
    return !failed();
}

} // namespace ornavex
