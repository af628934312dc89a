#pragma once

#include "decode/decode.h"
#include "decode/shown_spaces.h"

#include <string>
#include <string_view>

namespace ornavex {

// Reads a web page (HTML or XHTML) as a browser shows it, streamed: its text
// with character references decoded (&#64;, &#x40;, &commat; and every other
// named one), block elements (p, div, br, li, td, headings, ...) ending
// words and inline ones (b, i, span, a, em, strong, font, ...) not, script
// and style skipped; link targets (href) written as words of their own, the
// percent-encoding of mailto: links decoded. Nothing else is decoded: "name
// [at] example [dot] com" stays text.
class WebPageText {
public:
    explicit WebPageText(TextSink& sink) : sink_(sink) {}

    // False when the sink stopped.
    bool Feed(std::string_view bytes);
    bool Finish();

private:
    enum class State {
        kText,
        kReference, // after '&' in text
        kTagOpen,   // after '<'
        kTagName,
        kEndTagName,
        kInTag, // between attributes
        kAttributeName,
        kAfterAttributeName,
        kBeforeValue,
        kValue,       // quoted or not
        kComment,     // <!-- ... -->
        kDeclaration, // <!...> or <?...>
        kRawText,     // the content of script or style
    };

    bool Take(char c);
    bool TakeText(char c);
    bool Write(std::string_view text);
    bool FlushText();
    // Decodes the reference held in reference_ (after the '&'); false when
    // it is none and stays as it is written.
    bool DecodeReference(std::string& out) const;
    bool TagEnds();
    void AttributeEnds();

    ShownSpaces sink_; // &nbsp; and the other spaces end words, as they look
    State state_ = State::kText;
    std::string text_;      // text not yet written
    std::string reference_; // a character reference being read
    State afterReference_ = State::kText;
    std::string tag_; // the name of the tag being read, lower case
    bool endTag_ = false;
    std::string attribute_; // the attribute being read, lower case
    std::string value_;
    char quote_ = 0;
    std::string href_;   // the tag's href
    std::string rawEnd_; // "</script" or "</style" while in raw text
    std::size_t rawMatched_ = 0;
    std::size_t commentDashes_ = 0;
    bool stopped_ = false;
};

DecodeResult DecodeWebPage(ByteSource& source, TextSink& sink, DecodeContext& context);

} // namespace ornavex
