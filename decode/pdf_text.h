#pragma once

#include "decode/decode.h"

namespace ornavex {

// Reads a PDF document with poppler: the text of each page in reading order,
// a page ending words. poppler holds the document's structure (not its page
// contents) in memory while it is read.
DecodeResult DecodePdf(ByteSource& source, TextSink& sink, DecodeContext& context, int depth);

} // namespace ornavex
