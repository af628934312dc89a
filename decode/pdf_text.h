#pragma once

#include "decode/kinds.h"

namespace ornavex {

// Reads a PDF document with poppler, from a file: the text of each page in
// reading order, a page ending words. The layout work is bounded by the
// document's size: a document whose pages make far more text than its size
// could hold (pages sharing one content stream) stops with a reason.
DecodeResult DecodePdf(Part& part, DecodeContext& context);

} // namespace ornavex
