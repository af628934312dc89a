#include "decode/mail_text.h"

#include "decode/spool.h"
#include "decode/web_page_text.h"
#include "os/file_access.h"

#include <gmime/gmime.h>
#include <mutex>

namespace ornavex {
namespace {

// Where a part's decoded bytes go.
class PartWriter {
public:
    virtual ~PartWriter() = default;
    // False stops the writing.
    virtual bool Write(std::string_view bytes) = 0;
};

} // namespace
} // namespace ornavex

// A GMime stream that hands what is written to it to a PartWriter, so a
// part is decoded and read as it streams, never held whole.
extern "C" {
struct OrnavexWriterStream {
    GMimeStream parent;
    ornavex::PartWriter* writer;
};
struct OrnavexWriterStreamClass {
    GMimeStreamClass parent_class;
};
}

G_DEFINE_TYPE(OrnavexWriterStream, ornavex_writer_stream, GMIME_TYPE_STREAM)

namespace {

ssize_t WriterRead(GMimeStream*, char*, size_t) {
    return -1;
}
ssize_t WriterWrite(GMimeStream* stream, const char* buffer, size_t length) {
    auto* self = reinterpret_cast<OrnavexWriterStream*>(stream);
    return self->writer->Write(std::string_view(buffer, length)) ? static_cast<ssize_t>(length)
                                                                 : -1;
}
int WriterFlush(GMimeStream*) {
    return 0;
}
int WriterClose(GMimeStream*) {
    return 0;
}
gboolean WriterEos(GMimeStream*) {
    return TRUE;
}
int WriterReset(GMimeStream*) {
    return 0;
}
gint64 WriterSeek(GMimeStream*, gint64, GMimeSeekWhence) {
    return -1;
}
gint64 WriterTell(GMimeStream*) {
    return -1;
}
gint64 WriterLength(GMimeStream*) {
    return -1;
}
GMimeStream* WriterSubstream(GMimeStream*, gint64, gint64) {
    return nullptr;
}

} // namespace

static void ornavex_writer_stream_class_init(OrnavexWriterStreamClass* type) {
    GMimeStreamClass* stream = GMIME_STREAM_CLASS(type);
    stream->read = WriterRead;
    stream->write = WriterWrite;
    stream->flush = WriterFlush;
    stream->close = WriterClose;
    stream->eos = WriterEos;
    stream->reset = WriterReset;
    stream->seek = WriterSeek;
    stream->tell = WriterTell;
    stream->length = WriterLength;
    stream->substream = WriterSubstream;
}

static void ornavex_writer_stream_init(OrnavexWriterStream* stream) {
    stream->writer = nullptr;
}

namespace ornavex {
namespace {

template <class T> struct Unref {
    void operator()(T* object) const {
        if (object != nullptr)
            g_object_unref(object);
    }
};
template <class T> using Owned = std::unique_ptr<T, Unref<T>>;

// GLib makes a type's class when the first object of it is made, under
// locks of its own that the thread sanitizer cannot see. Making every class
// a message may use here, once and before any reading thread uses them,
// leaves no class to be made while two threads read mail.
void StartGMime() {
    static std::once_flag started;
    std::call_once(started, [] {
        g_mime_init();
        const GType types[] = {GMIME_TYPE_MESSAGE,
                               GMIME_TYPE_MESSAGE_PART,
                               GMIME_TYPE_MESSAGE_PARTIAL,
                               GMIME_TYPE_MULTIPART,
                               GMIME_TYPE_MULTIPART_SIGNED,
                               GMIME_TYPE_MULTIPART_ENCRYPTED,
                               GMIME_TYPE_PART,
                               GMIME_TYPE_TEXT_PART,
                               GMIME_TYPE_APPLICATION_PKCS7_MIME,
                               GMIME_TYPE_PARSER,
                               GMIME_TYPE_CONTENT_TYPE,
                               GMIME_TYPE_CONTENT_DISPOSITION,
                               GMIME_TYPE_HEADER,
                               GMIME_TYPE_HEADER_LIST,
                               GMIME_TYPE_PARAM,
                               GMIME_TYPE_PARAM_LIST,
                               GMIME_TYPE_DATA_WRAPPER,
                               GMIME_TYPE_STREAM_FILE,
                               GMIME_TYPE_STREAM_FILTER,
                               GMIME_TYPE_STREAM_MEM,
                               GMIME_TYPE_STREAM_NULL,
                               GMIME_TYPE_FILTER_BASIC,
                               GMIME_TYPE_FILTER_CHARSET,
                               GMIME_TYPE_FILTER_DOS2UNIX,
                               GMIME_TYPE_FILTER_UNIX2DOS,
                               INTERNET_ADDRESS_TYPE_MAILBOX,
                               INTERNET_ADDRESS_TYPE_GROUP,
                               internet_address_list_get_type(),
                               ornavex_writer_stream_get_type()};
        for (const GType type : types)
            g_type_class_ref(type); // kept for the life of the program
    });
}

// Text goes to the sink as it is.
class TextWriter : public PartWriter {
public:
    explicit TextWriter(TextSink& sink) : sink_(sink) {}
    bool Write(std::string_view bytes) override { return sink_.Text(bytes); }

private:
    TextSink& sink_;
};

// A web page part goes through the page reader.
class PageWriter : public PartWriter {
public:
    explicit PageWriter(TextSink& sink) : page_(sink) {}
    bool Write(std::string_view bytes) override { return page_.Feed(bytes); }
    bool Finish() { return page_.Finish(); }

private:
    WebPageText page_;
};

// An attachment goes to a file of its own, to be read as such.
class SpoolWriter : public PartWriter {
public:
    explicit SpoolWriter(SpooledFile& file) : file_(file) {}
    bool Write(std::string_view bytes) override { return file_.Append(bytes); }

private:
    SpooledFile& file_;
};

class MailReader {
public:
    MailReader(TextSink& sink, DecodeContext& context, int depth)
        : sink_(sink), context_(context), depth_(depth) {}

    DecodeResult Read(GMimeMessage* message) {
        if (!Headers(GMIME_OBJECT(message)))
            return DecodeResult::kStopped;
        GMimeObject* body = g_mime_message_get_mime_part(message);
        return body != nullptr ? Walk(body) : DecodeResult::kDone;
    }

private:
    // Every header's value, encoded words decoded.
    bool Headers(GMimeObject* object) {
        GMimeHeaderList* headers = g_mime_object_get_header_list(object);
        const int count = g_mime_header_list_get_count(headers);
        for (int i = 0; i < count; ++i) {
            const char* value =
                g_mime_header_get_value(g_mime_header_list_get_header_at(headers, i));
            if (value != nullptr && !(sink_.Text(value) && sink_.PartEnd()))
                return false;
        }
        context_.CountPart();
        return true;
    }

    DecodeResult Walk(GMimeObject* object) {
        if (GMIME_IS_MESSAGE_PART(object)) {
            GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
            return inner != nullptr ? Read(inner) : DecodeResult::kDone;
        }
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            const int count = g_mime_multipart_get_count(multipart);
            for (int i = 0; i < count; ++i)
                if (const DecodeResult result = Walk(g_mime_multipart_get_part(multipart, i));
                    result != DecodeResult::kDone)
                    return result;
            return DecodeResult::kDone;
        }
        if (GMIME_IS_PART(object))
            return Part(GMIME_PART(object));
        return DecodeResult::kDone;
    }

    DecodeResult Part(GMimePart* part) {
        GMimeContentType* type = g_mime_object_get_content_type(GMIME_OBJECT(part));
        const bool attachment = g_mime_part_is_attachment(part);
        const bool html = g_mime_content_type_is_type(type, "text", "html");
        const bool text = g_mime_content_type_is_type(type, "text", "*") || type == nullptr;
        if (attachment || !text)
            return Attachment(part);
        // Text: its transfer encoding and its charset decoded to UTF-8.
        const char* charset = g_mime_content_type_get_parameter(type, "charset");
        TextWriter plain(sink_);
        PageWriter page(sink_);
        PartWriter& writer = html ? static_cast<PartWriter&>(page) : plain;
        if (!WriteContent(part, charset, writer) || (html && !page.Finish()) || !sink_.PartEnd())
            return DecodeResult::kStopped;
        context_.CountPart();
        return DecodeResult::kDone;
    }

    // Anything else is a file of its own: a document, an archive, a picture.
    DecodeResult Attachment(GMimePart* part) {
        SpooledFile file;
        SpoolWriter writer(file);
        if (!file.Open(context_))
            return DecodeResult::kFailed;
        if (!WriteContent(part, nullptr, writer)) {
            context_.Fail(file.error());
            return DecodeResult::kFailed;
        }
        FileSource source(file);
        const char* filename = g_mime_part_get_filename(part);
        const std::string name = filename != nullptr ? filename : "attachment";
        sink_.Member(context_.EnterMember(name));
        const DecodeResult result = DecodeMember(source, sink_, context_, depth_ + 1);
        sink_.Member(context_.LeaveMember());
        if (result == DecodeResult::kFailed)
            context_.FailedIn(name);
        return result;
    }

    // The part's content, its transfer encoding decoded, and its charset
    // when one is given and known.
    bool WriteContent(GMimePart* part, const char* charset, PartWriter& writer) {
        GMimeDataWrapper* content = g_mime_part_get_content(part);
        if (content == nullptr)
            return true;
        Owned<GMimeStream> out(
            GMIME_STREAM(g_object_new(ornavex_writer_stream_get_type(), nullptr)));
        reinterpret_cast<OrnavexWriterStream*>(out.get())->writer = &writer;
        Owned<GMimeStream> filtered(g_mime_stream_filter_new(out.get()));
        if (charset != nullptr) {
            Owned<GMimeFilter> convert(g_mime_filter_charset_new(charset, "UTF-8"));
            if (convert)
                g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), convert.get());
        }
        const bool written = g_mime_data_wrapper_write_to_stream(content, filtered.get()) >= 0;
        return g_mime_stream_flush(filtered.get()) >= 0 && written;
    }

    TextSink& sink_;
    DecodeContext& context_;
    int depth_;
};

} // namespace

DecodeResult DecodeMail(ByteSource& source, TextSink& sink, DecodeContext& context, int depth) {
    StartGMime();
    // GMime reads a file it can seek in, so a message's parts stay in the
    // file and are not copied: the file itself, or a copy of the member.
    std::optional<SpooledFile> spooled;
    std::FILE* file = nullptr;
    if (depth == 0 && context.file()) {
        file = OpenFileStream(*context.file());
    } else {
        spooled.emplace();
        if (!spooled->Fill(source, context))
            return DecodeResult::kFailed;
        file = OpenFileStream(spooled->path());
    }
    if (file == nullptr) {
        context.Fail("The file could not be read again");
        return DecodeResult::kFailed;
    }
    Owned<GMimeStream> stream(g_mime_stream_file_new(file));
    // An mbox file holds messages after "From " lines; a message file one.
    char first[5] = {};
    const bool mbox = g_mime_stream_read(stream.get(), first, sizeof first) == 5 &&
                      std::string_view(first, 5) == "From ";
    g_mime_stream_reset(stream.get());
    Owned<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_format(parser.get(), mbox ? GMIME_FORMAT_MBOX : GMIME_FORMAT_MESSAGE);
    MailReader reader(sink, context, depth);
    bool any = false;
    while (!g_mime_parser_eos(parser.get())) {
        Owned<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
        if (!message)
            break;
        any = true;
        // The "From " line names the envelope's sender.
        if (mbox) {
            const std::unique_ptr<char, decltype(&g_free)> marker(
                g_mime_parser_get_mbox_marker(parser.get()), &g_free);
            if (marker && !(sink.Text(marker.get()) && sink.PartEnd()))
                return DecodeResult::kStopped;
        }
        if (const DecodeResult result = reader.Read(message.get()); result != DecodeResult::kDone)
            return result;
        if (!mbox)
            break;
    }
    if (!any) {
        context.Fail("Damaged message");
        return DecodeResult::kFailed;
    }
    return DecodeResult::kDone;
}

} // namespace ornavex
