#include "decode/mail_text.h"

#include "decode/decode_context.h"
#include "decode/line_pieces.h"
#include "decode/mail_header.h"
#include "decode/web_page_text.h"

#include <gmime/gmime.h>
#include <memory>
#include <mutex>
#include <vector>

namespace ornavex {
namespace {

// Header text decoded at once (encoded words); past it, a field is read as
// it is written.
constexpr std::size_t kLongestField = 64 << 10;

template <class T> struct Unref {
    void operator()(T* object) const {
        if (object != nullptr)
            g_object_unref(object);
    }
};
template <class T> using Owned = std::unique_ptr<T, Unref<T>>;
using Text = std::unique_ptr<char, decltype(&g_free)>;

// GLib makes a type's class when the first object of it is made, under
// locks of its own that the thread sanitizer cannot see. Making every class
// used here once, before any reading thread uses them, leaves no class to
// be made while two threads read mail.
void StartGMime() {
    static std::once_flag started;
    std::call_once(started, [] {
        g_mime_init();
        const GType types[] = {GMIME_TYPE_CONTENT_TYPE, GMIME_TYPE_CONTENT_DISPOSITION,
                               GMIME_TYPE_PARAM, GMIME_TYPE_PARAM_LIST, GMIME_TYPE_FILTER_CHARSET};
        for (const GType type : types)
            g_type_class_ref(type); // kept for the life of the program
    });
}

// A line that goes on the field above it: a piece after the start of a
// line, or a line starting with a blank.
bool Folded(const LinePieces::Piece& piece) {
    return !piece.start || piece.text.starts_with(" ") || piece.text.starts_with("\t");
}

// Where the name of the field a line starts ends (its colon); npos when the
// line starts no field: no colon, an empty name or a name with a blank.
std::size_t FieldColon(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0 ||
        line.substr(0, colon).find_first_of(" \t") != std::string_view::npos)
        return std::string_view::npos;
    return colon;
}

// Where a line of the mail stands.
enum class Delimiter { kNone, kPart, kClose, kMessage };

// A part's body, its transfer encoding decoded, up to the delimiter that
// ends it (left to be read).
class Body : public ByteSource {
public:
    Body(LinePieces& lines, const std::function<Delimiter(const LinePieces::Piece&)>& delimiter,
         const std::string& encoding)
        : lines_(lines), delimiter_(delimiter) {
        const GMimeContentEncoding kind =
            encoding.empty() ? GMIME_CONTENT_ENCODING_DEFAULT
                             : g_mime_content_encoding_from_string(encoding.c_str());
        decoding_ = kind == GMIME_CONTENT_ENCODING_BASE64 ||
                    kind == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE ||
                    kind == GMIME_CONTENT_ENCODING_UUENCODE;
        if (decoding_)
            g_mime_encoding_init_decode(&state_, kind);
    }

    bool Next(std::string_view& bytes) override {
        while (!ended_) {
            LinePieces::Piece piece;
            if (!lines_.Next(piece)) {
                if (lines_.failed()) {
                    error_ = lines_.source().error();
                    return false;
                }
                // The input ended: the last line end is the body's own.
                raw_.assign(pendingEnd_);
                ended_ = true;
            } else if (piece.start && delimiter_(piece) != Delimiter::kNone) {
                lines_.Unread(); // the line end before it belongs to it
                raw_.clear();
                ended_ = true;
            } else {
                raw_.assign(pendingEnd_);
                raw_.append(piece.text);
                pendingEnd_.assign(piece.end);
            }
            Decode(ended_);
            if (!out_.empty()) {
                bytes = out_;
                return true;
            }
        }
        bytes = {};
        return true;
    }
    const std::string& error() const override { return error_; }
    // Reads what is left, up to the delimiter; false when a read failed.
    bool Drain() {
        std::string_view bytes;
        do {
            if (!Next(bytes))
                return false;
        } while (!bytes.empty());
        return true;
    }

private:
    void Decode(bool last) {
        if (!decoding_) {
            out_.swap(raw_);
            return;
        }
        out_.resize(g_mime_encoding_outlen(&state_, raw_.size()) + 16);
        const std::size_t made =
            last ? g_mime_encoding_flush(&state_, raw_.data(), raw_.size(), out_.data())
                 : g_mime_encoding_step(&state_, raw_.data(), raw_.size(), out_.data());
        out_.resize(made);
    }

    LinePieces& lines_;
    const std::function<Delimiter(const LinePieces::Piece&)>& delimiter_;
    bool decoding_ = false;
    GMimeEncoding state_{};
    std::string pendingEnd_; // the last line's end, given once the next line is no delimiter
    std::string raw_;
    std::string out_;
    bool ended_ = false;
    std::string error_;
};

class MailReader {
public:
    MailReader(ByteSource& source, DecodeContext& context)
        : lines_(source), context_(context), sink_(context.sink()) {
        delimiter_ = [this](const LinePieces::Piece& piece) { return DelimiterOf(piece); };
    }

    DecodeResult Read() {
        LinePieces::Piece first;
        if (!lines_.Next(first))
            return Ended();
        mbox_ = first.text.starts_with("From ");
        lines_.Unread();
        do {
            // The "From " line names the envelope's sender.
            if (mbox_ && !(Line() && EndWord()))
                return Ended();
            if (const DecodeResult result = Entity(0);
                result != DecodeResult::kDone && result != DecodeResult::kPartFailed)
                return result;
        } while (mbox_ && AtMessage());
        return Ended();
    }

private:
    // Where the mail ended: at its end, or early, and why.
    DecodeResult Ended() {
        if (lines_.failed())
            return context_.SourceFailed(lines_.source());
        return stopped_ ? context_.Halted() : DecodeResult::kDone;
    }

    bool Write(std::string_view text) {
        if (!text.empty() && !sink_.Text(text))
            stopped_ = true;
        return !stopped_;
    }
    bool EndWord() {
        if (!sink_.PartEnd())
            stopped_ = true;
        return !stopped_;
    }

    // Writes a whole line, piece by piece.
    bool Line() {
        LinePieces::Piece piece;
        do {
            if (!lines_.Next(piece))
                return !lines_.failed();
            if (!Write(piece.text))
                return false;
        } while (piece.end.empty());
        return true;
    }

    // Whether the next line starts another message of the mbox file.
    bool AtMessage() {
        LinePieces::Piece piece;
        if (!lines_.Next(piece))
            return false;
        lines_.Unread();
        return DelimiterOf(piece) == Delimiter::kMessage;
    }

    // A line that ends the body it is in: a delimiter of a multipart around
    // it (the innermost first), or in an mbox file a "From " line after an
    // empty one.
    Delimiter DelimiterOf(const LinePieces::Piece& piece) const {
        if (!piece.start)
            return Delimiter::kNone;
        if (mbox_ && piece.afterBlank && piece.text.starts_with("From "))
            return Delimiter::kMessage;
        if (!piece.text.starts_with("--"))
            return Delimiter::kNone;
        for (auto boundary = boundaries_.rbegin(); boundary != boundaries_.rend(); ++boundary) {
            if (!piece.text.starts_with(*boundary))
                continue;
            std::string_view rest = piece.text.substr(boundary->size());
            const bool close = rest.starts_with("--");
            if (close)
                rest.remove_prefix(2);
            if (rest.find_first_not_of(" \t") == std::string_view::npos)
                return close ? Delimiter::kClose : Delimiter::kPart;
        }
        return Delimiter::kNone;
    }

    // Which boundary a delimiter line names: its index in boundaries_.
    std::size_t LevelOf(const LinePieces::Piece& piece) const {
        for (std::size_t i = boundaries_.size(); i-- > 0;)
            if (piece.text.starts_with(boundaries_[i]))
                return i;
        return boundaries_.size();
    }

    // The field a header block is reading: its lines are gathered until the
    // next field starts.
    struct Field {
        std::string name;
        std::string value;
        bool cut = false; // the field was too long, and goes out as it is
    };

    // A line that ends a header block: an empty one, or a delimiter (a part
    // with no body).
    bool EndsHeaders(const LinePieces::Piece& piece) const {
        return piece.start && (piece.text.empty() || DelimiterOf(piece) != Delimiter::kNone);
    }

    // A header block: each field's value written as a word apart, its
    // encoded words decoded; what the fields say of the body kept.
    bool Headers(MailPartHeader& header) {
        Field field;
        LinePieces::Piece piece;
        while (lines_.Next(piece)) {
            if (EndsHeaders(piece)) {
                if (!piece.text.empty())
                    lines_.Unread(); // a part with no body
                return FinishField(field, header);
            }
            if (!Folded(piece)) {
                const std::size_t colon = FieldColon(piece.text);
                if (colon == std::string_view::npos) {
                    lines_.Unread(); // not a field: the body starts here
                    return FinishField(field, header);
                }
                if (!FinishField(field, header))
                    return false;
                field.name.assign(piece.text.substr(0, colon));
                field.value.assign(piece.text.substr(colon + 1));
            } else if (!field.name.empty()) {
                field.value.append(piece.text);
            }
            if (field.value.size() > kLongestField && !WriteCut(field, header))
                return false;
        }
        return FinishField(field, header) && !lines_.failed();
    }

    // Writes a field that is too long to hold: what there is goes out as it
    // is, and so does the rest of the field.
    bool WriteCut(Field& field, MailPartHeader& header) {
        if (!field.cut)
            ReadStructureField(field.name, field.value, header);
        field.cut = true;
        if (!Write(field.value))
            return false;
        field.value.clear();
        return true;
    }

    // Ends the field being read, if any: takes what it says of the body and
    // writes its value as a word apart.
    bool FinishField(Field& field, MailPartHeader& header) {
        if (field.name.empty())
            return true;
        if (!field.cut)
            ReadStructureField(field.name, field.value, header);
        const bool written =
            (field.cut ? Write(field.value) : WriteDecoded(field.value)) && EndWord();
        field.name.clear();
        field.value.clear();
        field.cut = false;
        return written;
    }

    bool WriteDecoded(const std::string& value) {
        const bool encoded = value.find("=?") != std::string::npos;
        bool eightBit = false;
        for (const char c : value)
            eightBit = eightBit || static_cast<unsigned char>(c) >= 0x80;
        if (!encoded && !eightBit)
            return Write(value);
        const Text decoded(g_mime_utils_header_decode_text(nullptr, value.c_str()), &g_free);
        return Write(decoded ? std::string_view(decoded.get()) : std::string_view(value));
    }

    // A part: its header, then its body up to the next delimiter around it.
    DecodeResult Entity(int depth) {
        MailPartHeader header;
        if (!Headers(header))
            return Ended();
        context_.CountPart();
        if (header.Is("multipart") && !header.boundary.empty())
            return Multipart(header, depth);
        if ((header.type == "message/rfc822" || header.type == "message/global") &&
            header.encoding != "base64" && header.encoding != "quoted-printable") {
            if (depth >= kMostMailDepth)
                return TooDeep();
            return Entity(depth + 1); // an attached message, read in turn
        }
        // A multipart without a boundary is read as text, as mail readers do.
        const bool text = header.Is("text") || header.Is("multipart");
        if (header.attachment || !text)
            return Attachment(header);
        return TextPart(header);
    }

    DecodeResult TooDeep() {
        const DecodeResult reported = context_.Unreadable("", "Nested too deep");
        Body rest(lines_, delimiter_, "");
        if (!rest.Drain())
            return context_.SourceFailed(rest);
        return reported;
    }

    DecodeResult Multipart(const MailPartHeader& header, int depth) {
        if (depth >= kMostMailDepth)
            return TooDeep();
        boundaries_.push_back("--" + header.boundary);
        const std::size_t level = boundaries_.size() - 1;
        DecodeResult result = DecodeResult::kDone;
        // The preamble, then each part after its delimiter, until the
        // closing one or a delimiter of a multipart around this one.
        for (;;) {
            Body skipped(lines_, delimiter_, "");
            if (!skipped.Drain()) {
                result = context_.SourceFailed(skipped);
                break;
            }
            LinePieces::Piece piece;
            if (!lines_.Next(piece))
                break;
            const Delimiter delimiter = DelimiterOf(piece);
            if (delimiter == Delimiter::kMessage || LevelOf(piece) != level) {
                lines_.Unread(); // it ends a part around this one
                break;
            }
            if (delimiter == Delimiter::kClose) {
                // The epilogue, up to what ends the part around this one.
                boundaries_.pop_back();
                Body epilogue(lines_, delimiter_, "");
                return epilogue.Drain() ? result : context_.SourceFailed(epilogue);
            }
            const DecodeResult part = Entity(depth + 1);
            if (part == DecodeResult::kPartFailed)
                result = part;
            else if (part != DecodeResult::kDone) {
                result = part;
                break;
            }
        }
        boundaries_.pop_back();
        return result;
    }

    DecodeResult TextPart(const MailPartHeader& header) {
        Body body(lines_, delimiter_, header.encoding);
        Owned<GMimeFilter> convert;
        if (!header.charset.empty())
            convert.reset(g_mime_filter_charset_new(header.charset.c_str(), "UTF-8"));
        const bool html = header.type == "text/html";
        WebPageText page(sink_);
        auto give = [&](std::string_view bytes) { return html ? page.Feed(bytes) : Write(bytes); };
        std::string_view bytes;
        for (;;) {
            if (!body.Next(bytes))
                return context_.SourceFailed(body);
            const bool last = bytes.empty();
            if (convert) {
                in_.assign(bytes);
                char* out = nullptr;
                std::size_t length = 0, prespace = 0;
                if (last)
                    g_mime_filter_complete(convert.get(), in_.data(), in_.size(), 0, &out, &length,
                                           &prespace);
                else
                    g_mime_filter_filter(convert.get(), in_.data(), in_.size(), 0, &out, &length,
                                         &prespace);
                bytes = std::string_view(out, length);
            }
            if (!bytes.empty() && !give(bytes))
                return context_.Halted();
            if (last)
                break;
        }
        if ((html && !page.Finish()) || !sink_.PartEnd())
            return context_.Halted();
        return DecodeResult::kDone;
    }

    // Anything else is a file of its own: a document, an archive, a picture.
    DecodeResult Attachment(const MailPartHeader& header) {
        Body body(lines_, delimiter_, header.encoding);
        const DecodeResult result = context_.Nested(NameOf(header), body);
        if (result != DecodeResult::kDone && result != DecodeResult::kPartFailed)
            return result;
        return body.Drain() ? result : context_.SourceFailed(body);
    }

    static std::string NameOf(const MailPartHeader& header) {
        std::string name;
        if (!header.contentDisposition.empty()) {
            Owned<GMimeContentDisposition> disposition(
                g_mime_content_disposition_parse(nullptr, header.contentDisposition.c_str()));
            if (const char* filename = disposition ? g_mime_content_disposition_get_parameter(
                                                         disposition.get(), "filename")
                                                   : nullptr)
                name = filename;
        }
        if (name.empty() && !header.contentType.empty()) {
            Owned<GMimeContentType> type(
                g_mime_content_type_parse(nullptr, header.contentType.c_str()));
            if (const char* named =
                    type ? g_mime_content_type_get_parameter(type.get(), "name") : nullptr)
                name = named;
        }
        return name.empty() ? "attachment" : name;
    }

    LinePieces lines_;
    DecodeContext& context_;
    TextSink& sink_;
    std::function<Delimiter(const LinePieces::Piece&)> delimiter_;
    std::vector<std::string> boundaries_; // of the multiparts around, "--" in front
    bool mbox_ = false;
    bool stopped_ = false;
    std::string in_;
};

} // namespace

DecodeResult DecodeMail(Part& part, DecodeContext& context) {
    StartGMime();
    MailReader reader(part.bytes, context);
    return reader.Read();
}

} // namespace ornavex
