#include "decode/manual_page_text.h"

#include "decode/decode_context.h"
#include "decode/line_pieces.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace ornavex {
namespace {

// The special characters a page names (\(xx, \[xx], \*(xx), as the page
// shows them; those not here show as a character no address holds.
struct Special {
    std::string_view name;
    std::string_view text;
};
constexpr std::array<Special, 49> kSpecials = {{
    {"at", "@"},
    {"hy", "-"},
    {"mi", "-"},
    {"en", "\xE2\x80\x93"},
    {"em", "\xE2\x80\x94"},
    {"lq", "\xE2\x80\x9C"},
    {"rq", "\xE2\x80\x9D"},
    {"oq", "\xE2\x80\x98"},
    {"cq", "\xE2\x80\x99"},
    {"aq", "'"},
    {"dq", "\""},
    {"bq", "\xE2\x80\x9E"},
    {"Bq", "\xE2\x80\x9A"},
    {"Fo", "\xC2\xAB"},
    {"Fc", "\xC2\xBB"},
    {"fo", "\xE2\x80\xB9"},
    {"fc", "\xE2\x80\xBA"},
    {"la", "\xE2\x9F\xA8"},
    {"ra", "\xE2\x9F\xA9"},
    {"Lq", "\xE2\x80\x9C"},
    {"Rq", "\xE2\x80\x9D"},
    {"bu", "\xE2\x80\xA2"},
    {"co", "\xC2\xA9"},
    {"rg", "\xC2\xAE"},
    {"tm", "\xE2\x84\xA2"},
    {"Tm", "\xE2\x84\xA2"},
    {"R", "\xC2\xAE"},
    {"sc", "\xC2\xA7"},
    {"de", "\xC2\xB0"},
    {"pl", "+"},
    {"eq", "="},
    {"sl", "/"},
    {"rs", "\\"},
    {"ti", "~"},
    {"ha", "^"},
    {"ul", "_"},
    {"ba", "|"},
    {"or", "|"},
    {"lB", "["},
    {"rB", "]"},
    {"lC", "{"},
    {"rC", "}"},
    {"la", "<"},
    {"ra", ">"},
    {"<=", "\xE2\x89\xA4"},
    {">=", "\xE2\x89\xA5"},
    {"->", "\xE2\x86\x92"},
    {"<-", "\xE2\x86\x90"},
    {"ss", "\xC3\x9F"},
}};
constexpr std::string_view kUnknownCharacter = "\xEF\xBF\xBD";

std::string_view SpecialText(std::string_view name) {
    for (const Special& special : kSpecials)
        if (special.name == name)
            return special.text;
    return kUnknownCharacter;
}

// Macros whose arguments alternate fonts and so are shown with no space
// between them (".BR ls (1)" shows "ls(1)").
bool JoinsArguments(std::string_view macro) {
    return macro == "BR" || macro == "BI" || macro == "IB" || macro == "IR" || macro == "RB" ||
           macro == "RI";
}

// Requests whose text is roff's own, not the page's: definitions, numbers,
// conditions, layout.
bool ShowsNothing(std::string_view name) {
    if (name.empty())
        return true;
    // roff's own requests are lower case; the macros of manual pages are
    // capitalised (.SH, .B, .Mt), and their arguments are shown.
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return std::islower(static_cast<unsigned char>(c)); });
}

// Requests that start a block up to "..": definitions and ignored text.
bool StartsBlock(std::string_view name) {
    return name == "de" || name == "de1" || name == "dei" || name == "am" || name == "am1" ||
           name == "ami" || name == "ig";
}

// The argument of an escape at text[at]: one character, "(xx", "[name]" or
// 'quoted'; returns it and moves at past it.
std::string_view Argument(std::string_view text, std::size_t& at, bool quoted) {
    if (at >= text.size())
        return {};
    const char c = text[at];
    if (quoted && c != '[' && c != '(') {
        const std::size_t end = text.find(c, at + 1);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        const std::string_view argument = text.substr(at + 1, stop - at - 1);
        at = std::min(text.size(), stop + 1);
        return argument;
    }
    if (c == '(') {
        const std::string_view argument = text.substr(at + 1, 2);
        at = std::min(text.size(), at + 3);
        return argument;
    }
    if (c == '[') {
        const std::size_t end = text.find(']', at);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        const std::string_view argument = text.substr(at + 1, stop - at - 1);
        at = std::min(text.size(), stop + 1);
        return argument;
    }
    ++at;
    return text.substr(at - 1, 1);
}

// Moves at past the argument of a size escape (\s): a signed number of one
// digit, or of two that do not start with 0, or an argument as the motions
// take one.
void SkipSize(std::string_view text, std::size_t& at) {
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    if (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        ++at;
        if (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])) &&
            text[at - 1] != '0')
            ++at;
    } else {
        Argument(text, at, true);
    }
}

// Writes text as the page shows it: escapes resolved. Tells when the line
// ends with \c, which joins it to the next.
void Unescape(std::string_view text, std::string& out, bool& joined) {
    joined = false;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at++];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (at >= text.size()) {
            joined = true; // a backslash at the end continues the line
            return;
        }
        const char escape = text[at++];
        switch (escape) {
        case '"':
        case '#':
            return; // a comment, to the end of the line
        case '\\':
        case 'e':
        case 'E':
            out += '\\';
            break;
        case '-':
        case '.':
        case '\'':
        case '`':
            out += escape == '\'' ? '\'' : escape == '`' ? '`' : escape;
            break;
        case ' ':
        case '~':
        case '0':
            out += ' ';
            break;
        case 't':
            out += '\t';
            break;
        case 'c':
            joined = at >= text.size();
            break;
        case '(':
        case '[':
            --at;
            out += SpecialText(Argument(text, at, false));
            break;
        case 'C':
            out += SpecialText(Argument(text, at, true));
            break;
        case '*': { // the man macros' strings as shown; the page's own show nothing
            const std::string_view special = SpecialText(Argument(text, at, false));
            if (special != kUnknownCharacter)
                out += special;
            break;
        }
        case 'f':
        case 'n':
        case 'g':
        case 'k':
        case 'm':
        case 'M':
        case 'V':
        case 'Y':
        case 'F':
        case '$':
        case 'z':
            Argument(text, at, false); // fonts, registers, colours: nothing shown
            break;
        case 's':
            SkipSize(text, at); // a size change: nothing shown
            break;
        case 'h':
        case 'v':
        case 'w':
        case 'l':
        case 'L':
        case 'D':
        case 'o':
        case 'b':
        case 'X':
        case 'Z':
        case 'x':
        case 'H':
        case 'S':
        case 'R':
        case 'A':
        case 'B':
        case 'N':
        case 'O':
            Argument(text, at, true); // motions, drawing, device controls
            break;
        default:
            break; // \& \| \^ \% \{ \} \u \d \r \p \a and the like show nothing
        }
    }
}

// A "quoted" argument starting at text[at]: up to the closing quote, ""
// standing for a quote inside; moves at past it.
std::string QuotedArgument(std::string_view text, std::size_t& at) {
    std::string argument;
    for (++at; at < text.size(); ++at) {
        if (text[at] == '"') {
            if (at + 1 < text.size() && text[at + 1] == '"') {
                argument += '"';
                ++at;
                continue;
            }
            ++at;
            break;
        }
        argument += text[at];
    }
    return argument;
}

// A request's arguments: words, or "quoted" ones with spaces in them ("" is
// a quote inside).
std::vector<std::string> Arguments(std::string_view text) {
    std::vector<std::string> arguments;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t'))
            ++at;
        if (at >= text.size())
            break;
        if (text[at] == '"') {
            arguments.push_back(QuotedArgument(text, at));
            continue;
        }
        std::string argument;
        while (at < text.size() && text[at] != ' ' && text[at] != '\t')
            argument += text[at++];
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

// A request line's name (".SH NAME" gives "SH") and what follows it.
void SplitRequest(std::string_view line, std::string_view& name, std::string_view& rest) {
    std::size_t at = 1;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    std::size_t end = at;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t')
        ++end;
    name = line.substr(at, end - at);
    rest = line.substr(end);
}

class PageReader {
public:
    explicit PageReader(DecodeContext& context) : sink_(context.sink()) {}

    // Reads one whole line; false when the sink stopped.
    bool Line(std::string_view line) {
        const bool control = !line.empty() && (line[0] == '.' || line[0] == '\'') && !joined_;
        std::string_view name;
        std::string_view rest;
        if (control)
            SplitRequest(line, name, rest);
        if (!blockEnd_.empty()) {
            if (control && name == blockEnd_)
                blockEnd_.clear();
            return true;
        }
        text_.clear();
        if (control) {
            if (!Request(name, rest))
                return true;
        } else {
            Unescape(line, text_, joined_);
        }
        if (!joined_)
            text_ += '\n';
        return sink_.Text(text_);
    }

private:
    // Reads a request line into text_ as the page shows it; false when it
    // shows nothing (a comment, the start of a block, roff's own requests).
    bool Request(std::string_view name, std::string_view rest) {
        if (name.starts_with("\\\"") || name.starts_with("\\#"))
            return false; // a comment line
        const std::vector<std::string> arguments = Arguments(rest);
        if (StartsBlock(name)) {
            // Up to a line whose request is "." (or the name .ig gives).
            blockEnd_ = name == "ig" && !arguments.empty() ? arguments[0] : ".";
            return false;
        }
        if (ShowsNothing(name))
            return false;
        std::string shown;
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            if (i > 0 && !JoinsArguments(name))
                shown += ' ';
            shown += arguments[i];
        }
        bool joined = false;
        Unescape(shown, text_, joined);
        return true;
    }

    TextSink& sink_;
    std::string text_;
    std::string blockEnd_; // inside a definition or ignored block: the line that ends it
    bool joined_ = false;  // the last text line ended with \c
};

} // namespace

bool IsManualPage(std::string_view head) {
    // Blank lines may come first; a page passed through soelim or a
    // preprocessor starts with the line-file request.
    head.remove_prefix(std::min(head.size(), head.find_first_not_of(" \t\r\n")));
    return head.starts_with(".TH ") || head.starts_with(".Dd ") || head.starts_with(".\\\"") ||
           head.starts_with("'\\\"") || head.starts_with("\\\"") || head.starts_with(".lf ");
}

DecodeResult DecodeManualPage(Part& part, DecodeContext& context) {
    LinePieces lines(part.bytes);
    PageReader page(context);
    std::string line;
    LinePieces::Piece piece;
    for (;;) {
        const bool got = lines.Next(piece);
        if (!got && lines.failed())
            return context.SourceFailed(part.bytes);
        // A line longer than a piece is read in pieces; escapes cut between
        // two of them are read as they fall.
        if (got)
            line.append(piece.text);
        if (!got || !piece.end.empty() || line.size() >= LinePieces::kLongestPiece) {
            if ((!line.empty() || got) && !page.Line(line))
                return context.Halted();
            line.clear();
        }
        if (!got)
            break;
    }
    if (!context.sink().PartEnd())
        return context.Halted();
    context.CountPart();
    return DecodeResult::kDone;
}

} // namespace ornavex
