#pragma once

#include "decode/kinds.h"

namespace ornavex {

// Reads a mail message, or an mbox file of them, as it streams: every
// header's value (encoded words decoded), every text part decoded (base64,
// quoted-printable, its charset to UTF-8), HTML parts as web pages,
// attachments as files of their own, and attached messages in turn. Nothing
// is held whole: lines go in pieces, header fields are decoded up to a
// length and read as they are past it, and multiparts nest at most
// kMostMailDepth deep (deeper ones are reported and skipped).
inline constexpr int kMostMailDepth = 64;
DecodeResult DecodeMail(Part& part, DecodeContext& context);

} // namespace ornavex
