#pragma once

#include "decode/decode.h"

namespace ornavex {

// Reads a mail message, or an mbox file of them, with GMime: every header's
// value (encoded words decoded), every text part decoded (base64, quoted-
// printable, its charset to UTF-8), HTML parts as web pages, attachments as
// files of their own, and attached messages in turn.
DecodeResult DecodeMail(ByteSource& source, TextSink& sink, DecodeContext& context, int depth);

} // namespace ornavex
