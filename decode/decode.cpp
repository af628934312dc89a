#include "decode/decode.h"

#include "decode/archive_text.h"
#include "decode/mail_text.h"
#include "decode/pdf_text.h"
#include "decode/text_decoder.h"
#include "decode/web_page_text.h"

namespace ornavex {
namespace {

// A member that is plain text: its bytes, a byte-order mark decoded.
DecodeResult DecodePlain(ByteSource& source, TextSink& sink, DecodeContext& context) {
    TextDecoder decoder;
    const DecodeResult fed = FeedAll(
        source, context, [&](std::string_view bytes) { return sink.Text(decoder.Decode(bytes)); });
    if (fed != DecodeResult::kDone)
        return fed;
    if (!sink.Text(decoder.Finish()) || !sink.PartEnd())
        return DecodeResult::kStopped;
    context.CountPart();
    return DecodeResult::kDone;
}

} // namespace

bool DecodeContext::Produced(std::uint64_t bytes) {
    produced_ += bytes;
    const std::uint64_t stored = storedBytes_ ? storedBytes_() : 0;
    if (produced_ > limits_.most ||
        (produced_ > limits_.floor && produced_ / limits_.ratio > stored)) {
        Fail(kExpandsTooFar);
        return false;
    }
    return true;
}

DecodeResult DecodeKind(InputKind kind, ByteSource& source, TextSink& sink, DecodeContext& context,
                        int depth) {
    if (kind != InputKind::kText && depth >= context.limits().depth) {
        context.Fail(kExpandsTooFar); // containers nested too deep
        return DecodeResult::kFailed;
    }
    switch (kind) {
    case InputKind::kText:
        break;
    case InputKind::kArchive:
    case InputKind::kCompressed:
        return DecodeArchive(source, kind == InputKind::kCompressed, sink, context, depth);
    case InputKind::kPdf:
        return DecodePdf(source, sink, context, depth);
    case InputKind::kMail:
        return DecodeMail(source, sink, context, depth);
    case InputKind::kWebPage:
        return DecodeWebPage(source, sink, context);
    }
    return DecodePlain(source, sink, context);
}

DecodeResult DecodeMember(ByteSource& source, TextSink& sink, DecodeContext& context, int depth) {
    std::string head;
    std::string_view bytes;
    while (head.size() < kDetectionBytes) {
        if (!source.Next(bytes)) {
            context.Fail(source.error());
            return DecodeResult::kFailed;
        }
        if (bytes.empty())
            break;
        head.append(bytes);
    }
    const InputKind kind = DetectKind(head);
    PrefixedSource whole(std::move(head), source);
    return DecodeKind(kind, whole, sink, context, depth);
}

} // namespace ornavex
