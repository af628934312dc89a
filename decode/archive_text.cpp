#include "decode/archive_text.h"

#include "decode/spool.h"
#include "decode/xml_text.h"
#include "os/file_access.h"

#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <memory>

namespace ornavex {
namespace {

constexpr std::size_t kMemberBlock = 64 << 10;

using Archive = std::unique_ptr<archive, decltype(&archive_read_free)>;

// libarchive pulls the archive's bytes from the source.
struct Pull {
    ByteSource& source;
    std::string error; // why the source itself could not be read
};

// The reason a read failed, in the words the program uses: the source's
// own, or what libarchive says of the archive.
std::string Reason(archive* reader, const Pull& pull) {
    if (!pull.error.empty())
        return pull.error;
    const char* text = archive_error_string(reader);
    const std::string_view message = text != nullptr ? text : "";
    if (message.find("ncrypt") != std::string_view::npos ||
        message.find("assphrase") != std::string_view::npos)
        return "Encrypted";
    if (message.find("nsupported") != std::string_view::npos)
        return "Unsupported compression";
    return "Damaged archive";
}

la_ssize_t PullBytes(archive* reader, void* data, const void** buffer) {
    auto* pull = static_cast<Pull*>(data);
    std::string_view bytes;
    if (!pull->source.Next(bytes)) {
        pull->error = pull->source.error();
        archive_set_error(reader, EIO, "%s", pull->error.c_str());
        return -1;
    }
    *buffer = bytes.data();
    return static_cast<la_ssize_t>(bytes.size());
}

// A member's bytes, decompressed, counted against the file's limits.
class MemberSource : public ByteSource {
public:
    MemberSource(archive* reader, const Pull& pull, DecodeContext& context)
        : reader_(reader), pull_(pull), context_(context) {}
    bool Next(std::string_view& bytes) override {
        const la_ssize_t got = archive_read_data(reader_, buffer_.data(), buffer_.size());
        if (got < 0) {
            error_ = Reason(reader_, pull_);
            return false;
        }
        if (!context_.Produced(static_cast<std::uint64_t>(got))) {
            error_ = context_.error();
            return false;
        }
        bytes = std::string_view(buffer_.data(), static_cast<std::size_t>(got));
        return true;
    }
    const std::string& error() const override { return error_; }

private:
    archive* reader_;
    const Pull& pull_;
    DecodeContext& context_;
    std::array<char, kMemberBlock> buffer_;
    std::string error_;
};

// A file libarchive may seek in, which 7-Zip needs.
struct SeekableFile {
    std::FILE* stream;
    std::array<char, kMemberBlock> buffer;
};

la_ssize_t ReadFile(archive* reader, void* data, const void** buffer) {
    auto* file = static_cast<SeekableFile*>(data);
    const std::size_t got = std::fread(file->buffer.data(), 1, file->buffer.size(), file->stream);
    if (got == 0 && std::ferror(file->stream)) {
        archive_set_error(reader, EIO, "read error");
        return -1;
    }
    *buffer = file->buffer.data();
    return static_cast<la_ssize_t>(got);
}

la_int64_t SeekFile(archive*, void* data, la_int64_t offset, int whence) {
    const std::int64_t at =
        SeekFileStream(static_cast<SeekableFile*>(data)->stream, offset, whence);
    return at < 0 ? ARCHIVE_FATAL : at;
}

la_int64_t SkipFile(archive*, void* data, la_int64_t request) {
    return SeekFileStream(static_cast<SeekableFile*>(data)->stream, request, SEEK_CUR) < 0
               ? 0
               : request;
}

int OpenSeekable(archive* reader, SeekableFile& file) {
    archive_read_set_read_callback(reader, &ReadFile);
    archive_read_set_seek_callback(reader, &SeekFile);
    archive_read_set_skip_callback(reader, &SkipFile);
    archive_read_set_callback_data(reader, &file);
    return archive_read_open1(reader);
}

// Whether the zip's first member makes it an office document: Office Open
// XML lists its contents first, OpenDocument names its type first.
bool IsOfficeDocument(std::string_view firstMember) {
    return firstMember == "[Content_Types].xml" || firstMember == "mimetype";
}

// A compressed stream is decompressed as one member, whose kind is then
// told by its own first bytes: libarchive's guess would take some plain
// texts for archives (mtree lists).
Archive NewReader(bool compressed) {
    Archive reader(archive_read_new(), archive_read_free);
    archive_read_support_filter_all(reader.get());
    if (compressed)
        archive_read_support_format_raw(reader.get());
    else
        archive_read_support_format_all(reader.get());
    return reader;
}

// Reads every member in order; the reader is open.
DecodeResult ReadMembers(archive* reader, const Pull& pull, TextSink& sink, DecodeContext& context,
                         int depth) {
    bool office = false;
    bool first = true;
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_EOF)
            return DecodeResult::kDone;
        if (status < ARCHIVE_WARN) {
            context.Fail(Reason(reader, pull));
            return DecodeResult::kFailed;
        }
        const char* path = archive_entry_pathname(entry);
        const std::string name =
            archive_format(reader) == ARCHIVE_FORMAT_RAW || path == nullptr ? "" : path;
        if (first)
            office = IsOfficeDocument(name);
        first = false;
        if (archive_entry_filetype(entry) != AE_IFREG)
            continue; // folders, links
        if (archive_entry_is_encrypted(entry)) {
            context.Fail("Encrypted");
            context.FailedIn(name);
            return DecodeResult::kFailed;
        }
        MemberSource member(reader, pull, context);
        const std::optional<XmlDialect> dialect =
            office ? OfficeDialect(name) : std::optional<XmlDialect>();
        DecodeResult result;
        if (dialect) {
            result = DecodeXml(member, *dialect, sink, context);
        } else {
            // An office document's parts are the document; other members
            // are files of their own.
            sink.Member(context.EnterMember(name));
            result = DecodeMember(member, sink, context, depth + 1);
            sink.Member(context.LeaveMember());
        }
        if (result == DecodeResult::kFailed)
            context.FailedIn(name);
        if (result != DecodeResult::kDone)
            return result;
    }
}

} // namespace

DecodeResult DecodeArchive(ByteSource& source, bool compressed, TextSink& sink,
                           DecodeContext& context, int depth) {
    // The first bytes tell 7-Zip, which keeps its index at the end: it is
    // read from a file, which a member first becomes.
    std::string_view first;
    if (!source.Next(first)) {
        context.Fail(source.error());
        return DecodeResult::kFailed;
    }
    PrefixedSource whole(std::string(first), source);
    Archive reader = NewReader(compressed);
    Pull pull{whole, {}};
    std::optional<SpooledFile> spooled;
    std::unique_ptr<std::FILE, decltype(&std::fclose)> stream(nullptr, &std::fclose);
    std::unique_ptr<SeekableFile> seekable;
    int opened;
    if (first.starts_with(std::string_view("7z\xBC\xAF\x27\x1C", 6))) {
        std::filesystem::path file;
        if (depth == 0 && context.file()) {
            file = *context.file();
        } else {
            spooled.emplace();
            if (!spooled->Fill(whole, context))
                return DecodeResult::kFailed;
            file = spooled->path();
        }
        stream.reset(OpenFileStream(file));
        if (stream) {
            seekable.reset(new SeekableFile{stream.get(), {}});
            opened = OpenSeekable(reader.get(), *seekable);
        } else {
            opened = ARCHIVE_FATAL;
        }
    } else {
        opened = archive_read_open(reader.get(), &pull, nullptr, &PullBytes, nullptr);
    }
    if (opened != ARCHIVE_OK) {
        context.Fail(Reason(reader.get(), pull));
        return DecodeResult::kFailed;
    }
    // A stream that only looked compressed would otherwise be read again
    // as itself, one level deeper each time.
    if (compressed && archive_filter_code(reader.get(), 0) == ARCHIVE_FILTER_NONE) {
        context.Fail("Damaged archive");
        return DecodeResult::kFailed;
    }
    return ReadMembers(reader.get(), pull, sink, context, depth);
}

} // namespace ornavex
