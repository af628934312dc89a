#pragma once

#include "decode/byte_source.h"
#include "decode/decode.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace ornavex {

// A temporary file holding bytes that a reader needs whole or seekable (a
// PDF, a mail file, a 7-Zip archive) when they are not a file on disk of
// their own: a member, a decompressed stream, an attachment. It is removed
// when this goes, and on an interruption.
class SpooledFile {
public:
    SpooledFile() = default;
    ~SpooledFile();
    SpooledFile(const SpooledFile&) = delete;
    SpooledFile& operator=(const SpooledFile&) = delete;

    // Creates the file; false with context's error set.
    bool Open(DecodeContext& context);
    bool Append(std::string_view bytes);
    // Opens the file and copies all of source into it; false with context's
    // error set.
    bool Fill(ByteSource& source, DecodeContext& context);

    const std::filesystem::path& path() const { return path_; }
    // The bytes written so far, from the start, for reading them back.
    std::FILE* stream() const { return stream_; }
    const std::string& error() const { return error_; }

private:
    std::filesystem::path path_;
    std::FILE* stream_ = nullptr;
    int ticket_ = -1;
    std::string error_;
};

// The bytes of a spooled file, from its start.
class FileSource : public ByteSource {
public:
    explicit FileSource(const SpooledFile& file);
    bool Next(std::string_view& bytes) override;
    const std::string& error() const override { return error_; }

private:
    std::FILE* stream_;
    std::vector<char> buffer_;
    std::string error_;
};

} // namespace ornavex
