#pragma once

#include "decode/kinds.h"
#include "decode/shown_spaces.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace ornavex {

// Reads a web page (HTML or XHTML) as a browser shows it, streamed: its text
// with character references decoded (&#64;, &#x40;, &commat; and every other
// named one), block elements (p, div, br, li, td, headings, ...) ending
// words and inline ones (b, i, span, a, em, strong, font, ...) not, script
// and style skipped; mailto: link targets (href) written as words of their
// own, percent-decoded, and no other target; what a form shows (the value of
// an input that is not hidden, placeholders) read as words of their own.
// Nothing else is decoded: "name [at] example [dot] com" stays text.
// Memory stays flat whatever the page: text goes out every few kilobytes,
// and attribute values and references are cut at a fixed length.
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

    // Takes one character in the state the page is in.
    bool Take(char c);
    bool TakeText(char c);
    bool TakeReference(char c);
    bool TakeTagOpen(char c);
    bool TakeTagName(char c); // of a start or an end tag
    bool TakeInTag(char c);
    bool TakeAttributeName(char c);
    bool TakeAfterAttributeName(char c);
    bool TakeBeforeValue(char c);
    bool TakeValue(char c);
    bool TakeComment(char c);
    bool TakeDeclaration(char c);
    bool TakeRawText(char c);
    // After '&': a character reference starts, to go back to state after.
    void StartReference(State after);
    // The reference read ends, closed by a ';' or not: its character goes
    // on the text or the attribute value it stands in.
    bool ReferenceEnds(bool closed);
    // Takes the run of plain text at the start of bytes; returns its length.
    std::size_t TakeTextRun(std::string_view bytes);
    bool Write(std::string_view text);
    bool FlushText();
    bool FlushIfFull();
    // Whether c goes on the character reference being read.
    bool TakeReferenceCharacter(char c);
    // Appends the reference read (closed by a ';' or not) to out: its
    // character, or its text as written when it is none.
    void AppendReference(std::string& out, bool closed) const;
    bool TagEnds();
    void AttributeEnds();
    void AppendValue(std::string_view text);

    ShownSpaces sink_; // &nbsp; and the other spaces end words, as they look
    State state_ = State::kText;
    std::string text_; // text not yet written
    // A character reference being read: a name, or a number ("#", "#x" and
    // its value; leading zeros do not count, and too large a value saturates).
    std::string reference_;
    bool numeric_ = false;
    bool hex_ = false;
    bool anyDigit_ = false;
    std::uint32_t code_ = 0;
    State afterReference_ = State::kText;
    std::string tag_; // the name of the tag being read, lower case
    bool endTag_ = false;
    std::string attribute_; // the attribute being read, lower case
    std::string value_;
    char quote_ = 0;
    std::string href_;    // the tag's href
    std::string shown_;   // what a form element shows: an input's value, a placeholder
    bool hidden_ = false; // an input of type hidden
    std::string rawEnd_;  // "</script" or "</style" while in raw text
    std::size_t rawMatched_ = 0;
    std::size_t commentDashes_ = 0;
    bool stopped_ = false;
};

DecodeResult DecodeWebPage(Part& part, DecodeContext& context);

} // namespace ornavex
