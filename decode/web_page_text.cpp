#include "decode/web_page_text.h"

#include "decode/decode_context.h"
#include "decode/html_entities.h"
#include "decode/link_target.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace ornavex {
namespace {

constexpr std::size_t kFlushBytes = 16 << 10;
constexpr std::size_t kLongestReference = 40;
constexpr std::size_t kLongestName = 32;       // of a tag or attribute; the rest is dropped
constexpr std::size_t kLongestValue = 1 << 20; // longer attribute values are cut

// Elements that end words: what a browser lays out as blocks or lines.
constexpr std::array<std::string_view, 58> kBlockElements = {
    "address", "area",    "article", "aside",    "blockquote", "body",    "br",       "button",
    "caption", "center",  "col",     "colgroup", "dd",         "details", "dialog",   "dir",
    "div",     "dl",      "dt",      "fieldset", "figcaption", "figure",  "footer",   "form",
    "frame",   "h1",      "h2",      "h3",       "h4",         "h5",      "h6",       "head",
    "header",  "hgroup",  "hr",      "html",     "iframe",     "img",     "input",    "legend",
    "li",      "main",    "menu",    "meta",     "nav",        "ol",      "option",   "p",
    "pre",     "section", "select",  "summary",  "table",      "td",      "textarea", "th",
    "title",   "tr"};

bool IsBlock(std::string_view tag) {
    return std::find(kBlockElements.begin(), kBlockElements.end(), tag) != kBlockElements.end() ||
           tag == "tbody" || tag == "thead" || tag == "tfoot" || tag == "ul";
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

void AppendUtf8(std::string& out, unsigned long code) {
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD; // what a browser shows for them
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

} // namespace

bool WebPageText::TakeReferenceCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (!numeric_) {
        if (reference_.empty() && c == '#') {
            numeric_ = true;
            return true;
        }
        if (!std::isalnum(u) || reference_.size() >= kLongestReference)
            return false;
        reference_ += c;
        return true;
    }
    if (!anyDigit_ && !hex_ && (c == 'x' || c == 'X')) {
        hex_ = true;
        reference_ = c; // kept only to be written back should no digit follow
        return true;
    }
    const int value = std::isdigit(u)            ? c - '0'
                      : hex_ && std::isxdigit(u) ? Lower(c) - 'a' + 10
                                                 : -1;
    if (value < 0)
        return false;
    anyDigit_ = true;
    // Past the last code point the value stands for U+FFFD, as in a browser.
    constexpr std::uint32_t kPastLast = 0x110000;
    code_ = std::min<std::uint64_t>(std::uint64_t{code_} * (hex_ ? 16 : 10) + value, kPastLast);
    return true;
}

void WebPageText::AppendReference(std::string& out, bool closed) const {
    if (numeric_ && anyDigit_) {
        AppendUtf8(out, code_);
        return;
    }
    if (!numeric_ && !reference_.empty()) {
        const std::string name = closed ? reference_ + ';' : reference_;
        if (const auto text = NamedCharacter(name)) {
            out.append(*text);
            return;
        }
    }
    // No reference: as it is written.
    out += '&';
    if (numeric_)
        out += '#';
    out += reference_;
    if (closed)
        out += ';';
}

bool WebPageText::Write(std::string_view text) {
    if (!stopped_ && !text.empty() && !sink_.Text(text))
        stopped_ = true;
    return !stopped_;
}

bool WebPageText::FlushText() {
    const bool going = Write(text_);
    text_.clear();
    return going;
}

bool WebPageText::FlushIfFull() {
    return text_.size() < kFlushBytes || FlushText();
}

void WebPageText::AppendValue(std::string_view text) {
    if (value_.size() < kLongestValue)
        value_.append(text.substr(0, kLongestValue - value_.size()));
}

void WebPageText::AttributeEnds() {
    if (!endTag_) {
        if (attribute_ == "href") {
            href_ = value_;
        } else if ((attribute_ == "value" && tag_ == "input") ||
                   (attribute_ == "placeholder" && (tag_ == "input" || tag_ == "textarea"))) {
            shown_ += ' ';
            shown_ += value_;
        } else if (attribute_ == "type" && tag_ == "input") {
            std::string type = value_;
            for (char& c : type)
                c = Lower(c);
            hidden_ = type == "hidden";
        }
    }
    attribute_.clear();
    value_.clear();
}

bool WebPageText::TagEnds() {
    if (IsBlock(tag_))
        text_ += ' ';
    if (const std::string target = DecodedLinkTarget(href_); !target.empty()) {
        text_ += ' ';
        text_ += target;
        text_ += ' ';
    }
    // A hidden input shows nothing, not even its placeholder.
    if (!shown_.empty() && !hidden_) {
        text_ += shown_;
        text_ += ' ';
    }
    if (!endTag_ && (tag_ == "script" || tag_ == "style")) {
        rawEnd_ = "</" + tag_;
        rawMatched_ = 0;
        state_ = State::kRawText;
    } else {
        state_ = State::kText;
    }
    tag_.clear();
    href_.clear();
    shown_.clear();
    hidden_ = false;
    endTag_ = false;
    return FlushIfFull();
}

std::size_t WebPageText::TakeTextRun(std::string_view bytes) {
    std::size_t run = 0;
    while (run < bytes.size() && bytes[run] != '<' && bytes[run] != '&')
        ++run;
    text_.append(bytes.substr(0, run));
    return run;
}

bool WebPageText::Take(char c) {
    switch (state_) {
    case State::kText:
        return TakeText(c);
    case State::kReference:
        return TakeReference(c);
    case State::kTagOpen:
        return TakeTagOpen(c);
    case State::kTagName:
    case State::kEndTagName:
        return TakeTagName(c);
    case State::kInTag:
        return TakeInTag(c);
    case State::kAttributeName:
        return TakeAttributeName(c);
    case State::kAfterAttributeName:
        return TakeAfterAttributeName(c);
    case State::kBeforeValue:
        return TakeBeforeValue(c);
    case State::kValue:
        return TakeValue(c);
    case State::kComment:
        return TakeComment(c);
    case State::kDeclaration:
        return TakeDeclaration(c);
    case State::kRawText:
        return TakeRawText(c);
    }
    return true;
}

void WebPageText::StartReference(State after) {
    reference_.clear();
    numeric_ = hex_ = anyDigit_ = false;
    code_ = 0;
    afterReference_ = after;
    state_ = State::kReference;
}

bool WebPageText::ReferenceEnds(bool closed) {
    state_ = afterReference_;
    if (afterReference_ == State::kValue) {
        std::string decoded;
        AppendReference(decoded, closed);
        AppendValue(decoded);
        return true;
    }
    AppendReference(text_, closed);
    return FlushIfFull();
}

bool WebPageText::TakeText(char c) {
    if (c == '<') {
        state_ = State::kTagOpen;
        return true;
    }
    if (c == '&') {
        StartReference(State::kText);
        return true;
    }
    text_ += c;
    return FlushIfFull();
}

bool WebPageText::TakeReference(char c) {
    if (TakeReferenceCharacter(c))
        return true;
    const bool closed = c == ';';
    if (!ReferenceEnds(closed))
        return false;
    return closed || Take(c);
}

bool WebPageText::TakeTagOpen(char c) {
    if (std::isalpha(static_cast<unsigned char>(c))) {
        tag_.assign(1, Lower(c));
        endTag_ = false;
        state_ = State::kTagName;
    } else if (c == '/') {
        tag_.clear();
        endTag_ = true;
        state_ = State::kEndTagName;
    } else if (c == '!' || c == '?') {
        commentDashes_ = c == '!' ? 0 : 3; // "<!--" needs two dashes next
        state_ = State::kDeclaration;
    } else {
        text_ += '<'; // not a tag
        state_ = State::kText;
        return Take(c);
    }
    return true;
}

bool WebPageText::TakeTagName(char c) {
    if (IsBlank(c) || c == '/') {
        state_ = State::kInTag;
    } else if (c == '>') {
        return TagEnds();
    } else if (state_ == State::kEndTagName && tag_.empty() &&
               !std::isalpha(static_cast<unsigned char>(c))) {
        commentDashes_ = 3;
        state_ = State::kDeclaration; // "</ ...>": nothing
    } else if (tag_.size() < kLongestName) {
        tag_ += Lower(c);
    }
    return true;
}

bool WebPageText::TakeInTag(char c) {
    if (c == '>')
        return TagEnds();
    if (!IsBlank(c) && c != '/') {
        attribute_.assign(1, Lower(c));
        state_ = State::kAttributeName;
    }
    return true;
}

bool WebPageText::TakeAttributeName(char c) {
    if (c == '=') {
        state_ = State::kBeforeValue;
    } else if (IsBlank(c)) {
        state_ = State::kAfterAttributeName;
    } else if (c == '>') {
        AttributeEnds();
        return TagEnds();
    } else if (c == '/') {
        AttributeEnds();
        state_ = State::kInTag;
    } else if (attribute_.size() < kLongestName) {
        attribute_ += Lower(c);
    }
    return true;
}

bool WebPageText::TakeAfterAttributeName(char c) {
    if (c == '=') {
        state_ = State::kBeforeValue;
    } else if (c == '>') {
        AttributeEnds();
        return TagEnds();
    } else if (!IsBlank(c)) {
        AttributeEnds();
        attribute_.assign(1, Lower(c));
        state_ = State::kAttributeName;
    }
    return true;
}

bool WebPageText::TakeBeforeValue(char c) {
    if (IsBlank(c))
        return true;
    if (c == '>') {
        AttributeEnds();
        return TagEnds();
    }
    value_.clear();
    state_ = State::kValue;
    quote_ = c == '"' || c == '\'' ? c : 0;
    return quote_ != 0 || Take(c);
}

bool WebPageText::TakeValue(char c) {
    if (quote_ != 0 ? c == quote_ : IsBlank(c)) {
        AttributeEnds();
        state_ = State::kInTag;
    } else if (quote_ == 0 && c == '>') {
        AttributeEnds();
        return TagEnds();
    } else if (c == '&') {
        StartReference(State::kValue);
    } else if (value_.size() < kLongestValue) {
        value_ += c;
    }
    return true;
}

bool WebPageText::TakeComment(char c) {
    if (c == '>' && commentDashes_ >= 2)
        state_ = State::kText;
    commentDashes_ = c == '-' ? commentDashes_ + 1 : 0;
    return true;
}

bool WebPageText::TakeDeclaration(char c) {
    // Right after "<!", two dashes open a comment.
    if (commentDashes_ < 2 && c == '-') {
        if (++commentDashes_ == 2) {
            commentDashes_ = 0;
            state_ = State::kComment;
        }
        return true;
    }
    commentDashes_ = 3;
    if (c == '>')
        state_ = State::kText;
    return true;
}

bool WebPageText::TakeRawText(char c) {
    if (Lower(c) == rawEnd_[rawMatched_]) {
        if (++rawMatched_ == rawEnd_.size()) {
            tag_ = rawEnd_.substr(2);
            endTag_ = true;
            state_ = State::kEndTagName;
        }
    } else {
        rawMatched_ = Lower(c) == rawEnd_[0] ? 1 : 0;
    }
    return true;
}

bool WebPageText::Feed(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        // Text between tags goes in runs, not a character at a time.
        if (state_ == State::kText) {
            at += TakeTextRun(bytes.substr(at));
            if (!FlushIfFull())
                return false;
            if (at == bytes.size())
                break;
        }
        if (!Take(bytes[at]) || stopped_)
            return false;
    }
    return !stopped_;
}

bool WebPageText::Finish() {
    if (state_ == State::kReference)
        ReferenceEnds(false); // a reference the page ends in is not closed
    return FlushText() && sink_.Flush();
}

DecodeResult DecodeWebPage(Part& part, DecodeContext& context) {
    WebPageText page(context.sink());
    std::string_view bytes;
    for (;;) {
        if (!part.bytes.Next(bytes))
            return context.SourceFailed(part.bytes);
        if (bytes.empty())
            break;
        if (!page.Feed(bytes))
            return context.Halted();
    }
    if (!page.Finish() || !context.sink().PartEnd())
        return context.Halted();
    context.CountPart();
    return DecodeResult::kDone;
}

} // namespace ornavex
