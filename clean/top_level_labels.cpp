#include "clean/top_level_labels.h"

#include "clean/address_parts.h"

#include <cstdint>

namespace ornavex {
namespace {

// The code points of UTF-8 text, which the list's labels are.
std::u32string CodePoints(std::string_view text) {
    std::u32string points;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length && i + k < text.size(); ++k)
            cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        // Past the last code point (a damaged list): the replacement
        // character, so the Punycode insertions still end.
        points.push_back(cp > 0x10FFFF ? char32_t{0xFFFD} : cp);
        i += length;
    }
    return points;
}

// Punycode's parameters (RFC 3492, 5).
constexpr std::uint32_t kBase = 36, kTMin = 1, kTMax = 26;

// Punycode's bias adaptation (RFC 3492, 6.1).
std::uint32_t Adapt(std::uint32_t delta, std::uint32_t points, bool first) {
    constexpr std::uint32_t kSkew = 38, kDamp = 700;
    delta = first ? delta / kDamp : delta / 2;
    delta += delta / points;
    std::uint32_t k = 0;
    for (; delta > ((kBase - kTMin) * kTMax) / 2; k += kBase)
        delta /= kBase - kTMin;
    return k + (kBase - kTMin + 1) * delta / (delta + kSkew);
}

// A Punycode digit: 'a' to 'z' for 0 to 25, '0' to '9' for 26 to 35.
char PunycodeDigit(std::uint32_t d) {
    return static_cast<char>(d < 26 ? 'a' + d : '0' + d - 26);
}

// Appends q as Punycode's variable-length integer, whose digit thresholds
// follow the bias (RFC 3492, 6.3, the inner loop).
void AppendNumber(std::string& out, std::uint32_t q, std::uint32_t bias) {
    for (std::uint32_t k = kBase;; k += kBase) {
        const std::uint32_t t = k <= bias ? kTMin : k >= bias + kTMax ? kTMax : k - bias;
        if (q < t)
            break;
        out += PunycodeDigit(t + (q - t) % (kBase - t));
        q = (q - t) / (kBase - t);
    }
    out += PunycodeDigit(q);
}

// The smallest code point of the input at or above n.
char32_t SmallestFrom(const std::u32string& input, char32_t n) {
    char32_t next = 0x10FFFF;
    for (char32_t c : input)
        if (c >= n && c < next)
            next = c;
    return next;
}

// Appends the Punycode deltas that insert the input's non-ASCII code points
// among its basicCount ASCII ones (RFC 3492, 6.3, after the basic copy).
void AppendInsertions(std::string& out, const std::u32string& input, std::uint32_t basicCount) {
    std::uint32_t n = 0x80, delta = 0, bias = 72;
    std::uint32_t handled = basicCount;
    while (handled < input.size()) {
        const char32_t next = SmallestFrom(input, n);
        delta += (next - n) * (handled + 1);
        n = next;
        for (char32_t c : input) {
            if (c < n)
                ++delta;
            if (c != n)
                continue;
            AppendNumber(out, delta, bias);
            bias = Adapt(delta, handled + 1, handled == basicCount);
            delta = 0;
            ++handled;
        }
        ++delta;
        ++n;
    }
}

} // namespace

std::string AsciiLabel(std::string_view label) {
    const std::u32string input = CodePoints(label);
    std::string basic;
    for (char32_t c : input)
        if (c < 0x80)
            basic.push_back(static_cast<char>(c));
    if (basic.size() == input.size())
        return basic;
    // Punycode (RFC 3492, 6.3), after the ACE prefix of IDNA.
    std::string out = "xn--" + basic;
    if (!basic.empty())
        out += '-';
    AppendInsertions(out, input, static_cast<std::uint32_t>(basic.size()));
    return out;
}

std::unordered_set<std::string> TopLevelLabelsOfList(std::istream& list) {
    std::unordered_set<std::string> labels;
    bool icann = false;
    std::string line;
    while (std::getline(list, line)) {
        if (line.find("===BEGIN ICANN DOMAINS===") != std::string::npos)
            icann = true;
        else if (line.find("===END ICANN DOMAINS===") != std::string::npos)
            icann = false;
        // A rule is the first word of its line: "com", "*.ck", "!www.ck", "ac.za".
        const std::size_t start = line.find_first_not_of(" \t");
        if (!icann || start == std::string::npos || line.compare(start, 2, "//") == 0)
            continue;
        const std::string rule = line.substr(start, line.find_first_of(" \t\r", start) - start);
        labels.insert(LowerCased(AsciiLabel(rule.substr(rule.rfind('.') + 1))));
    }
    return labels;
}

} // namespace ornavex
