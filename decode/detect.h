#pragma once

#include <string_view>

namespace ornavex {

// The detection tests of the decoding table: each tells a kind from a
// file's first bytes alone.
bool IsZip(std::string_view head);
bool IsSevenZip(std::string_view head);
bool IsRar(std::string_view head);
bool IsCpio(std::string_view head);
bool IsCab(std::string_view head);
bool IsXar(std::string_view head);
bool IsTar(std::string_view head); // "ustar" where the header says so
bool IsGzip(std::string_view head);
bool IsBzip2(std::string_view head);
bool IsXz(std::string_view head);
bool IsZstd(std::string_view head);
bool IsPdf(std::string_view head);
// A message (a header block with the usual fields) or an mbox file (a
// "From " line before one).
bool IsMail(std::string_view head);
// HTML or XHTML: a doctype or an html element after blanks, comments or an
// XML declaration.
bool IsWebPage(std::string_view head);

} // namespace ornavex
