#include "decode/web_page_text.h"

#include "decode/html_entities.h"
#include "decode/link_target.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace ornavex {
namespace {

constexpr std::size_t kFlushBytes = 16 << 10;
constexpr std::size_t kLongestReference = 40;
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

// Whether c goes on the reference read so far (after the '&'): a name is
// letters and digits; a number is "#" and digits, or "#x" and hex digits.
bool IsReferenceCharacter(std::string_view reference, char c) {
    const auto u = static_cast<unsigned char>(c);
    if (reference.empty())
        return c == '#' || std::isalnum(u);
    if (reference[0] != '#')
        return std::isalnum(u);
    if (reference.size() == 1 && (c == 'x' || c == 'X'))
        return true;
    const bool hex = reference.size() > 1 && (reference[1] == 'x' || reference[1] == 'X');
    return hex ? std::isxdigit(u) : std::isdigit(u);
}

} // namespace

bool WebPageText::DecodeReference(std::string& out) const {
    std::string_view ref = reference_;
    const bool closed = !ref.empty() && ref.back() == ';';
    if (ref.starts_with("#")) {
        std::string_view digits = ref.substr(1, ref.size() - 1 - closed);
        const bool hex = !digits.empty() && (digits[0] == 'x' || digits[0] == 'X');
        if (hex)
            digits.remove_prefix(1);
        if (digits.empty() || digits.size() > 8)
            return false;
        unsigned long code = 0;
        for (char c : digits) {
            const int value = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : hex && std::isxdigit(static_cast<unsigned char>(c))
                                  ? Lower(c) - 'a' + 10
                                  : -1;
            if (value < 0)
                return false;
            code = code * (hex ? 16 : 10) + static_cast<unsigned long>(value);
        }
        AppendUtf8(out, code);
        return true;
    }
    if (const auto text = NamedCharacter(ref)) {
        out.append(*text);
        return true;
    }
    return false;
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

void WebPageText::AttributeEnds() {
    if (attribute_ == "href" && !endTag_)
        href_ = value_;
    attribute_.clear();
    value_.clear();
}

bool WebPageText::TagEnds() {
    if (IsBlock(tag_))
        text_ += ' ';
    if (!href_.empty()) {
        text_ += ' ';
        text_ += DecodedLinkTarget(href_);
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
    endTag_ = false;
    return text_.size() < kFlushBytes || FlushText();
}

bool WebPageText::TakeText(char c) {
    text_ += c;
    return text_.size() < kFlushBytes || FlushText();
}

bool WebPageText::Take(char c) {
    switch (state_) {
    case State::kText:
        if (c == '<') {
            state_ = State::kTagOpen;
            return true;
        }
        if (c == '&') {
            reference_.clear();
            afterReference_ = State::kText;
            state_ = State::kReference;
            return true;
        }
        return TakeText(c);

    case State::kReference: {
        const bool more = IsReferenceCharacter(reference_, c);
        if (more && reference_.size() < kLongestReference) {
            reference_ += c;
            return true;
        }
        if (c == ';')
            reference_ += c;
        std::string decoded;
        if (!DecodeReference(decoded))
            decoded = "&" + reference_; // no reference: as it is written
        std::string& out = afterReference_ == State::kValue ? value_ : text_;
        out += decoded;
        state_ = afterReference_;
        return c == ';' || Take(c);
    }

    case State::kTagOpen:
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

    case State::kTagName:
    case State::kEndTagName:
        if (IsBlank(c) || c == '/') {
            state_ = State::kInTag;
        } else if (c == '>') {
            return TagEnds();
        } else if (state_ == State::kEndTagName && tag_.empty() &&
                   !std::isalpha(static_cast<unsigned char>(c))) {
            commentDashes_ = 3;
            state_ = State::kDeclaration; // "</ ...>": nothing
        } else if (tag_.size() < 32) {
            tag_ += Lower(c);
        }
        return true;

    case State::kInTag:
        if (c == '>')
            return TagEnds();
        if (!IsBlank(c) && c != '/') {
            attribute_.assign(1, Lower(c));
            state_ = State::kAttributeName;
        }
        return true;

    case State::kAttributeName:
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
        } else if (attribute_.size() < 32) {
            attribute_ += Lower(c);
        }
        return true;

    case State::kAfterAttributeName:
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

    case State::kBeforeValue:
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

    case State::kValue:
        if (quote_ != 0 ? c == quote_ : IsBlank(c)) {
            AttributeEnds();
            state_ = State::kInTag;
        } else if (quote_ == 0 && c == '>') {
            AttributeEnds();
            return TagEnds();
        } else if (c == '&') {
            reference_.clear();
            afterReference_ = State::kValue;
            state_ = State::kReference;
        } else if (value_.size() < kLongestValue) {
            value_ += c;
        }
        return true;

    case State::kComment:
        if (c == '>' && commentDashes_ >= 2)
            state_ = State::kText;
        commentDashes_ = c == '-' ? commentDashes_ + 1 : 0;
        return true;

    case State::kDeclaration:
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

    case State::kRawText:
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
    return true;
}

bool WebPageText::Feed(std::string_view bytes) {
    for (const char c : bytes)
        if (!Take(c) || stopped_)
            return false;
    return true;
}

bool WebPageText::Finish() {
    if (state_ == State::kReference) {
        std::string decoded;
        if (!DecodeReference(decoded))
            decoded = "&" + reference_;
        (afterReference_ == State::kValue ? value_ : text_) += decoded;
    }
    return FlushText() && sink_.Flush();
}

DecodeResult DecodeWebPage(ByteSource& source, TextSink& sink, DecodeContext& context) {
    WebPageText page(sink);
    const DecodeResult fed =
        FeedAll(source, context, [&](std::string_view bytes) { return page.Feed(bytes); });
    if (fed != DecodeResult::kDone)
        return fed;
    if (!page.Finish() || !sink.PartEnd())
        return DecodeResult::kStopped;
    context.CountPart();
    return DecodeResult::kDone;
}

} // namespace ornavex
