#pragma once

#include "decode/decode.h"

#include <optional>
#include <string_view>

namespace ornavex {

// Which member of an office document this is, so its XML is read the way
// the document shows it.
enum class XmlDialect {
    kWordProcessing, // Word (word/*.xml): the text of w:t, paragraphs, cells, breaks, tabs
    kPresentation,   // PowerPoint (ppt/*.xml) and drawings: a:t, paragraphs, breaks
    kSpreadsheet,    // Excel (xl/*.xml): shared strings, inline strings, cell values
    kRelationships,  // *.rels: the targets of links (mailto: among them)
    kOpenDocument,   // OpenDocument content.xml, styles.xml: text:p and text:h
    kGeneric,        // anything else (document properties): all character data
};

// The dialect of an office document's member, by its path; none for a member
// that is not XML (a picture, an embedded document).
std::optional<XmlDialect> OfficeDialect(std::string_view memberPath);

// Reads an XML member with a streaming parser (expat) and writes its text:
// character data with the entities decoded, the runs of one paragraph,
// cell or string joined, and paragraphs, cells, breaks and tabs ending
// words. Link targets (mailto: ones percent-decoded) are written as words
// of their own.
DecodeResult DecodeXml(ByteSource& source, XmlDialect dialect, TextSink& sink,
                       DecodeContext& context);

} // namespace ornavex
