#include "decode/detect.h"

#include <array>
#include <cctype>

namespace ornavex {
namespace {

bool StartsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
    if (text.size() < start.size())
        return false;
    for (std::size_t i = 0; i < start.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != start[i])
            return false;
    return true;
}

constexpr std::string_view kZipStarts[] = {std::string_view("PK\x03\x04", 4),
                                           std::string_view("PK\x05\x06", 4)}; // empty zip

} // namespace

bool IsZip(std::string_view head) {
    return StartsWith(head, kZipStarts[0]) || StartsWith(head, kZipStarts[1]);
}
bool IsSevenZip(std::string_view head) {
    return StartsWith(head, std::string_view("7z\xBC\xAF\x27\x1C", 6));
}
bool IsRar(std::string_view head) {
    return StartsWith(head, std::string_view("Rar!\x1A\x07", 6));
}
bool IsCpio(std::string_view head) {
    return StartsWith(head, "070707") || StartsWith(head, "070701") || StartsWith(head, "070702");
}
bool IsCab(std::string_view head) {
    return StartsWith(head, std::string_view("MSCF\0\0\0\0", 8));
}
bool IsXar(std::string_view head) {
    return StartsWith(head, "xar!");
}
bool IsTar(std::string_view head) {
    return head.size() >= 262 && head.substr(257, 5) == "ustar";
}
bool IsGzip(std::string_view head) {
    return StartsWith(head, std::string_view("\x1F\x8B", 2));
}
bool IsBzip2(std::string_view head) {
    return StartsWith(head, "BZh");
}
bool IsXz(std::string_view head) {
    return StartsWith(head, std::string_view("\xFD"
                                             "7zXZ\0",
                                             6));
}
bool IsZstd(std::string_view head) {
    return StartsWith(head, std::string_view("\x28\xB5\x2F\xFD", 4));
}
bool IsPdf(std::string_view head) {
    return StartsWith(head, "%PDF-");
}

namespace {

std::string_view SkipBlanks(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    return text;
}

} // namespace

bool IsWebPage(std::string_view head) {
    if (StartsWith(head, "\xEF\xBB\xBF"))
        head.remove_prefix(3);
    head = SkipBlanks(head);
    // Comments may come first.
    while (StartsWith(head, "<!--")) {
        const std::size_t end = head.find("-->");
        if (end == std::string_view::npos)
            return false;
        head = SkipBlanks(head.substr(end + 3));
    }
    if (StartsWithIgnoringCase(head, "<!doctype html") || StartsWithIgnoringCase(head, "<html"))
        return true;
    // XHTML: an XML declaration, then the page.
    if (!StartsWith(head, "<?xml"))
        return false;
    const std::string_view rest = head.substr(0, 1024);
    for (std::size_t at = rest.find('<', 1); at != std::string_view::npos;
         at = rest.find('<', at + 1))
        if (StartsWithIgnoringCase(rest.substr(at), "<!doctype html") ||
            StartsWithIgnoringCase(rest.substr(at), "<html"))
            return true;
    return false;
}

namespace {

// A header field's name: printable ASCII but for ':' and space.
std::size_t FieldNameLength(std::string_view line) {
    std::size_t n = 0;
    while (n < line.size() && line[n] > 32 && line[n] < 127 && line[n] != ':')
        ++n;
    return n;
}

bool IsKnownField(std::string_view name) {
    constexpr std::array<std::string_view, 12> kFields = {
        "from",     "to",          "cc",           "subject",      "date",         "message-id",
        "received", "return-path", "mime-version", "content-type", "delivered-to", "reply-to"};
    for (std::string_view field : kFields)
        if (name.size() == field.size() && StartsWithIgnoringCase(name, field))
            return true;
    return false;
}

// A mail message starts with its header block: "Name: value" lines, folded
// lines starting with a blank, and an empty line after them; among them the
// fields every message has.
bool IsMessage(std::string_view head) {
    std::size_t fields = 0, known = 0;
    while (!head.empty()) {
        const std::size_t end = head.find('\n');
        if (end == std::string_view::npos)
            return known >= 2 && fields >= 3; // the head ends inside the headers
        std::string_view line = head.substr(0, end);
        head.remove_prefix(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            return fields >= 2 && known >= 2;
        if (line.front() == ' ' || line.front() == '\t') {
            if (fields == 0)
                return false;
            continue;
        }
        const std::size_t name = FieldNameLength(line);
        if (name == 0 || name >= line.size() || line[name] != ':')
            return false;
        ++fields;
        known += IsKnownField(line.substr(0, name));
    }
    return false;
}

// An mbox file: messages, each after a line "From sender date".
bool IsMailbox(std::string_view head) {
    if (!StartsWith(head, "From "))
        return false;
    const std::size_t end = head.find('\n');
    return end != std::string_view::npos && end < 1000 && IsMessage(head.substr(end + 1));
}

} // namespace

bool IsMail(std::string_view head) {
    return IsMailbox(head) || IsMessage(head);
}

} // namespace ornavex
