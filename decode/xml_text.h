#pragma once

#include "decode/kinds.h"

#include <string_view>

namespace ornavex {

// Which member of an office document this is, so its XML is read the way
// the document shows it.
enum class XmlDialect {
    kWordProcessing, // Word (word/*.xml): the text of w:t, paragraphs, cells, breaks, tabs
    kPresentation,   // PowerPoint (ppt/*.xml) and drawings: a:t, paragraphs, breaks
    kSpreadsheet,    // Excel (xl/*.xml): shared strings, inline strings, cell values
    kRelationships,  // *.rels: the mailto: targets of links
    kOpenDocument,   // OpenDocument content.xml, styles.xml: text:p and text:h
    kGeneric,        // anything else (document properties): all character data
};

// How a member of an office document is read.
struct OfficePart {
    bool skipped = false;     // a part that holds no text (settings, styles, thumbnails)
    Decoder decode = nullptr; // an XML part: its reader; none: a file of its own
};
OfficePart OfficePartOf(std::string_view memberPath);

// Reads an XML member with a streaming parser (expat) and writes its text:
// character data with the entities decoded, the runs of one paragraph,
// cell or string joined, and paragraphs, cells, breaks and tabs ending
// words. mailto: link targets (percent-decoded) are written as words
// of their own. An empty member is an empty part. Elements nest at most
// kMostXmlDepth deep, and no piece of markup (a tag, a comment) is longer
// than kLongestXmlMarkup: the parser reads an unfinished one again with
// every block, so a longer one would cost the square of its length.
inline constexpr std::size_t kMostXmlDepth = 256;
inline constexpr std::size_t kLongestXmlMarkup = 1 << 20;
DecodeResult DecodeXml(ByteSource& source, XmlDialect dialect, DecodeContext& context);

} // namespace ornavex
