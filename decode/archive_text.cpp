#include "decode/archive_text.h"

#include "decode/decode_context.h"
#include "decode/whole_file.h"
#include "decode/xml_text.h"

#include <archive.h>
#include <archive_entry.h>
#include <array>
#include <memory>

namespace ornavex {
namespace {

constexpr std::size_t kMemberBlock = 64 << 10;

using Archive = std::unique_ptr<archive, decltype(&archive_read_free)>;

// Where libarchive takes the archive's bytes from: the part's source, or
// the part as a file it may seek in (7-Zip keeps its index at its end).
struct Input {
    Input(ByteSource& bytes, WholeFile* whole) : source(bytes), file(whole) {}
    ByteSource& source;
    WholeFile* file;
    std::uint64_t position = 0; // in file
    std::array<char, kMemberBlock> buffer;
    std::string error; // why the bytes themselves could not be read
};

// The reason a read failed, in the words the program uses: the source's
// own, or what libarchive says of the archive.
std::string Reason(archive* reader, const Input& input) {
    if (!input.error.empty())
        return input.error;
    const char* text = archive_error_string(reader);
    const std::string_view message = text != nullptr ? text : "";
    if (message.find("ncrypt") != std::string_view::npos ||
        message.find("assphrase") != std::string_view::npos)
        return "Encrypted";
    if (message.find("nsupported") != std::string_view::npos)
        return "Unsupported compression";
    if (message.find("too many filters") != std::string_view::npos)
        return std::string(kExpandsTooFar); // compressed again and again
    return "Damaged archive";
}

la_ssize_t PullBytes(archive* reader, void* data, const void** buffer) {
    auto* input = static_cast<Input*>(data);
    std::string_view bytes;
    if (!input->source.Next(bytes)) {
        input->error = input->source.error();
        archive_set_error(reader, EIO, "%s", input->error.c_str());
        return -1;
    }
    *buffer = bytes.data();
    return static_cast<la_ssize_t>(bytes.size());
}

la_ssize_t ReadFile(archive* reader, void* data, const void** buffer) {
    auto* input = static_cast<Input*>(data);
    const long long got = input->file->ReadAt(input->buffer.data(), input->buffer.size(),
                                              input->position, input->error);
    if (got < 0) {
        archive_set_error(reader, EIO, "%s", input->error.c_str());
        return -1;
    }
    input->position += static_cast<std::uint64_t>(got);
    *buffer = input->buffer.data();
    return static_cast<la_ssize_t>(got);
}

la_int64_t SeekFile(archive*, void* data, la_int64_t offset, int whence) {
    auto* input = static_cast<Input*>(data);
    const auto size = static_cast<la_int64_t>(input->file->size());
    const la_int64_t base = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? static_cast<la_int64_t>(input->position)
                                                 : size;
    if (base + offset < 0)
        return ARCHIVE_FATAL;
    input->position = static_cast<std::uint64_t>(base + offset);
    return base + offset;
}

la_int64_t SkipFile(archive*, void* data, la_int64_t request) {
    auto* input = static_cast<Input*>(data);
    input->position += static_cast<std::uint64_t>(request);
    return request;
}

int Open(archive* reader, Input& input) {
    if (input.file == nullptr)
        return archive_read_open(reader, &input, nullptr, &PullBytes, nullptr);
    archive_read_set_read_callback(reader, &ReadFile);
    archive_read_set_seek_callback(reader, &SeekFile);
    archive_read_set_skip_callback(reader, &SkipFile);
    archive_read_set_callback_data(reader, &input);
    return archive_read_open1(reader);
}

// A compressed stream is opened as one member, whose kind is then told by
// its own first bytes: libarchive's guess would take some plain texts for
// archives (mtree lists).
Archive NewReader(bool compressed) {
    Archive reader(archive_read_new(), archive_read_free);
    archive_read_support_filter_all(reader.get());
    if (compressed)
        archive_read_support_format_raw(reader.get());
    else
        archive_read_support_format_all(reader.get());
    return reader;
}

// The compression filters libarchive stacked to open the part.
int Filters(archive* reader) {
    int filters = 0;
    for (int i = 0; i < archive_filter_count(reader); ++i)
        filters += archive_filter_code(reader, i) != ARCHIVE_FILTER_NONE;
    return filters;
}

// A member's bytes, decompressed; the first block may be read ahead.
class MemberSource : public ByteSource {
public:
    MemberSource(archive* reader, const Input& input) : reader_(reader), input_(input) {}
    bool Next(std::string_view& bytes) override {
        if (ahead_) {
            ahead_ = false;
            bytes = std::string_view(buffer_.data(), aheadSize_);
            return true;
        }
        const la_ssize_t got = archive_read_data(reader_, buffer_.data(), buffer_.size());
        if (got < 0) {
            error_ = Reason(reader_, input_);
            return false;
        }
        bytes = std::string_view(buffer_.data(), static_cast<std::size_t>(got));
        return true;
    }
    const std::string& error() const override { return error_; }
    // Reads the first block ahead; false when it cannot be read.
    bool ReadAhead() {
        std::string_view bytes;
        if (!Next(bytes))
            return false;
        ahead_ = true;
        aheadSize_ = bytes.size();
        return true;
    }

private:
    archive* reader_;
    const Input& input_;
    std::array<char, kMemberBlock> buffer_;
    bool ahead_ = false;
    std::size_t aheadSize_ = 0;
    std::string error_;
};

// Whether the zip's first member makes it an office document: Office Open
// XML lists its contents first, OpenDocument names its type first.
bool IsOfficeDocument(std::string_view firstMember) {
    return firstMember == "[Content_Types].xml" || firstMember == "mimetype";
}

// The result of an archive whose next header cannot be read: not this kind
// when no member came before; what was read when the archive was broken by
// a member that failed (and was reported); otherwise a failure.
DecodeResult HeaderFailed(archive* reader, const Input& input, DecodeContext& context, bool first,
                          bool memberFailed) {
    if (first)
        return context.NotThisKind(Reason(reader, input));
    if (memberFailed && input.error.empty())
        return DecodeResult::kPartFailed;
    return context.Fail(Reason(reader, input));
}

// Reads the member whose header was just read: a file of its own, or a part
// of an office document. Folders, links and the document's skipped parts
// give kDone; an encrypted member is reported and gives kPartFailed.
DecodeResult ReadMember(archive* reader, const Input& input, DecodeContext& context,
                        archive_entry* entry, const std::string& name, bool office) {
    if (archive_entry_filetype(entry) != AE_IFREG)
        return DecodeResult::kDone; // folders, links
    if (archive_entry_is_encrypted(entry)) {
        context.Unreadable(name, "Encrypted");
        return DecodeResult::kPartFailed;
    }
    // An office document's parts are the document; other members are files
    // of their own.
    const OfficePart part = office ? OfficePartOf(name) : OfficePart{};
    if (part.skipped)
        return DecodeResult::kDone;
    MemberSource member(reader, input);
    return context.Nested(name.empty() ? "member" : name, member, part.decode,
                          part.decode != nullptr);
}

// Reads every member in order; the reader is open.
DecodeResult ReadMembers(archive* reader, const Input& input, DecodeContext& context) {
    bool office = false;
    bool first = true;
    bool memberFailed = false;
    archive_entry* entry = nullptr;
    for (;;) {
        const int status = archive_read_next_header(reader, &entry);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN)
            return HeaderFailed(reader, input, context, first, memberFailed);
        const char* path = archive_entry_pathname(entry);
        const std::string name = path != nullptr ? path : "";
        if (first)
            office = IsOfficeDocument(name);
        first = false;
        const DecodeResult result = ReadMember(reader, input, context, entry, name, office);
        if (result == DecodeResult::kPartFailed)
            memberFailed = true;
        else if (result != DecodeResult::kDone)
            return result;
    }
    return memberFailed ? DecodeResult::kPartFailed : DecodeResult::kDone;
}

} // namespace

DecodeResult DecodeArchive(Part& part, DecodeContext& context) {
    auto input = std::make_unique<Input>(part.bytes, part.file);
    Archive reader = NewReader(false);
    if (Open(reader.get(), *input) != ARCHIVE_OK)
        return context.NotThisKind(Reason(reader.get(), *input));
    if (!context.AddLevels(Filters(reader.get())))
        return DecodeResult::kFailed;
    return ReadMembers(reader.get(), *input, context);
}

DecodeResult DecodeCompressed(Part& part, DecodeContext& context) {
    auto input = std::make_unique<Input>(part.bytes, part.file);
    Archive reader = NewReader(true);
    archive_entry* entry = nullptr;
    if (Open(reader.get(), *input) != ARCHIVE_OK ||
        archive_read_next_header(reader.get(), &entry) < ARCHIVE_WARN)
        return context.NotThisKind(Reason(reader.get(), *input));
    // A stream that only looked compressed would otherwise be read again as
    // itself, one level deeper each time.
    const int filters = Filters(reader.get());
    if (filters == 0)
        return context.NotThisKind("Damaged archive");
    if (!context.AddLevels(filters - 1))
        return DecodeResult::kFailed;
    MemberSource member(reader.get(), *input);
    if (!member.ReadAhead())
        return input->error.empty() ? context.NotThisKind(member.error())
                                    : context.SourceFailed(member);
    return context.Nested("", member);
}

} // namespace ornavex
