// A build without the libraries that read archives, documents, PDF and mail
// still finds what these files hold as plain bytes: an address in a stored
// member, an uncompressed page or a mail header.
#include "decode/archive_text.h"
#include "decode/mail_text.h"
#include "decode/pdf_text.h"

namespace ornavex {

DecodeResult DecodeArchive(ByteSource& source, bool, TextSink& sink, DecodeContext& context,
                           int depth) {
    return DecodeKind(InputKind::kText, source, sink, context, depth);
}

DecodeResult DecodePdf(ByteSource& source, TextSink& sink, DecodeContext& context, int depth) {
    return DecodeKind(InputKind::kText, source, sink, context, depth);
}

DecodeResult DecodeMail(ByteSource& source, TextSink& sink, DecodeContext& context, int depth) {
    return DecodeKind(InputKind::kText, source, sink, context, depth);
}

} // namespace ornavex
