#pragma once

#include "decode/kinds.h"

#include <string_view>

namespace ornavex {

// A manual page's roff source: its first line a title (.TH, .Dd) or a
// comment (.\" or '\").
bool IsManualPage(std::string_view head);

// Reads a manual page as the page shows it: text lines and the arguments of
// the page's macros (.SH, .B, .BR, .MT and the like), escapes resolved
// (\- and \(hy a hyphen, \(at an at sign, \& and font changes nothing,
// special characters as they look), roff's own requests, definitions and
// comments skipped. Lines are read in pieces, never held whole.
DecodeResult DecodeManualPage(Part& part, DecodeContext& context);

} // namespace ornavex
