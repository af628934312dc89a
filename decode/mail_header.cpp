#include "decode/mail_header.h"

#include <cctype>

namespace ornavex {
namespace {

// Structure fields are short; a longer one is read as far as this.
constexpr std::size_t kStructureField = 4 << 10;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The first token of a structured value: up to a ';' or a comment.
std::string_view FirstToken(std::string_view value) {
    const std::size_t end = value.find_first_of(";(");
    return Trimmed(value.substr(0, end));
}

} // namespace

std::string ParameterOf(std::string_view value, std::string_view name) {
    std::size_t at = value.find(';');
    while (at != std::string_view::npos && at < value.size()) {
        ++at;
        while (at < value.size() && std::isspace(static_cast<unsigned char>(value[at])))
            ++at;
        const std::size_t equals = value.find('=', at);
        if (equals == std::string_view::npos)
            return {};
        const std::string_view key = Trimmed(value.substr(at, equals - at));
        std::string found;
        at = equals + 1;
        while (at < value.size() && std::isspace(static_cast<unsigned char>(value[at])))
            ++at;
        if (at < value.size() && value[at] == '"') {
            for (++at; at < value.size() && value[at] != '"'; ++at) {
                if (value[at] == '\\' && at + 1 < value.size())
                    ++at;
                found += value[at];
            }
            at = value.find(';', at);
        } else {
            const std::size_t end = value.find(';', at);
            found = Trimmed(value.substr(at, end - at));
            at = end;
        }
        if (SameName(key, name))
            return found;
    }
    return {};
}

void ReadStructureField(std::string_view name, std::string_view value, MailPartHeader& header) {
    value = value.substr(0, kStructureField);
    if (SameName(name, "Content-Type")) {
        const std::string type = Lower(FirstToken(value));
        if (type.find('/') != std::string::npos)
            header.type = type;
        header.boundary = ParameterOf(value, "boundary");
        header.charset = ParameterOf(value, "charset");
        header.contentType = value;
    } else if (SameName(name, "Content-Transfer-Encoding")) {
        header.encoding = Lower(FirstToken(value));
    } else if (SameName(name, "Content-Disposition")) {
        header.attachment = SameName(FirstToken(value), "attachment");
        header.contentDisposition = value;
    }
}

} // namespace ornavex
