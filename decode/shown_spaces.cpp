#include "decode/shown_spaces.h"

namespace ornavex {
namespace {

// Whether a three-byte character that starts with lead and second can be a
// space (U+1680, U+2000-U+205F, U+3000).
bool LeadsSpace(unsigned lead, unsigned second) {
    return (lead == 0xE1 && second == 0x9A) ||
           (lead == 0xE2 && (second == 0x80 || second == 0x81)) || (lead == 0xE3 && second == 0x80);
}

// Whether a three-byte character whose first two bytes lead a space is one.
bool IsThreeByteSpace(unsigned lead, unsigned second, unsigned third) {
    switch (lead) {
    case 0xE1:
    case 0xE3:
        return third == 0x80;
    default:
        if (second == 0x81)
            return third == 0x9F;
        return third <= 0x8A || third == 0xA8 || third == 0xA9 || third == 0xAF;
    }
}

// The length of the Unicode space that starts text, or 0; kCut when text
// could be the start of one that goes on in the next piece.
constexpr std::size_t kCut = ~std::size_t{0};

std::size_t SpaceAt(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    switch (byte(0)) {
    case 0xC2: // U+00A0
        if (text.size() < 2)
            return kCut;
        return byte(1) == 0xA0 ? 2 : 0;
    case 0xE1: // U+1680
    case 0xE2: // U+2000-U+200A, U+2028, U+2029, U+202F, U+205F
    case 0xE3: // U+3000
        break;
    default:
        return 0;
    }
    if (text.size() < 2)
        return kCut;
    if (!LeadsSpace(byte(0), byte(1)))
        return 0;
    if (text.size() < 3)
        return kCut;
    return IsThreeByteSpace(byte(0), byte(1), byte(2)) ? 3 : 0;
}

} // namespace

bool ShownSpaces::Text(std::string_view text) {
    if (!held_.empty()) {
        held_.append(text);
        text = held_;
    }
    out_.clear();
    std::size_t copied = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c < 0xC2 || c > 0xE3)
            continue;
        const std::size_t space = SpaceAt(text.substr(at));
        if (space == 0)
            continue;
        out_.append(text.substr(copied, at - copied));
        if (space == kCut) {
            std::string rest(text.substr(at));
            held_ = std::move(rest);
            return out_.empty() || sink_.Text(out_);
        }
        out_ += ' ';
        at += space - 1;
        copied = at + 1;
    }
    bool going;
    if (copied == 0 && out_.empty()) {
        going = sink_.Text(text);
    } else {
        out_.append(text.substr(copied));
        going = sink_.Text(out_);
    }
    held_.clear();
    return going;
}

bool ShownSpaces::Flush() {
    if (held_.empty())
        return true;
    const std::string held = std::move(held_);
    held_.clear();
    return sink_.Text(held);
}

} // namespace ornavex
