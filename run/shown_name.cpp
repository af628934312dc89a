#include "run/shown_name.h"

namespace ornavex {
namespace {

void AppendHex(std::string& out, unsigned char byte) {
    constexpr char kDigits[] = "0123456789abcdef";
    out += "\\x";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

} // namespace

std::string ShownName(std::string_view name, bool doubleBackslashes) {
    std::string shown;
    shown.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        switch (byte) {
        case '\t':
            shown += "\\t";
            continue;
        case '\n':
            shown += "\\n";
            continue;
        case '\r':
            shown += "\\r";
            continue;
        case 0x1b:
            shown += "\\e";
            continue;
        case '\\':
            shown += doubleBackslashes ? "\\\\" : "\\";
            continue;
        default:
            break;
        }
        if (byte < 0x20 || byte == 0x7f) {
            AppendHex(shown, byte);
        } else if (byte == 0xc2 && i + 1 < name.size() &&
                   static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(name[i + 1]) <= 0x9f) {
            // A C1 control in UTF-8: terminals take U+009B as the start of
            // a control sequence, as they take ESC [.
            AppendHex(shown, byte);
            AppendHex(shown, static_cast<unsigned char>(name[++i]));
        } else {
            shown += static_cast<char>(byte);
        }
    }
    return shown;
}

} // namespace ornavex
